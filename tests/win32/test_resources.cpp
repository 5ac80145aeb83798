// The resources linked into every Lorik executable, read back from this test's own module:
// each dialog template parsed byte by byte and created for real, the context menu, the
// string, the pictures, the cursor, the manifest and the version resource.
#include <windows.h>
// windows.h first: the headers below depend on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

#include "resource.h"
#include "version.h"

namespace {

HMODULE Self() {
  return GetModuleHandleW(nullptr);
}

// ---------------------------------------------------------------------------------------------
// A reader of DLGTEMPLATEEX, so that the test sees what the resource compiler wrote rather
// than what a created dialog happens to report.

struct TemplateItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  std::wstring cls;  // ordinals of the predefined classes are turned into their names
  std::wstring text;
  int textOrdinal = -1;  // resource id given as the text (icon or bitmap statics)
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short cx = 0, cy = 0;
  std::wstring caption;
  WORD pointSize = 0;
  BYTE charSet = 0;
  std::wstring face;
  std::vector<TemplateItem> items;
};

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : begin_(data), p_(data), end_(data + size) {}

  bool ok() const { return ok_; }

  WORD Word() {
    WORD w = 0;
    Read(&w, sizeof w);
    return w;
  }
  DWORD Dword() {
    DWORD d = 0;
    Read(&d, sizeof d);
    return d;
  }
  short Short() { return static_cast<short>(Word()); }
  BYTE Byte() {
    BYTE b = 0;
    Read(&b, 1);
    return b;
  }
  std::wstring String() {
    std::wstring s;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
    return s;
  }
  // sz_Or_Ord: 0xFFFF followed by an ordinal, or a string.
  void StringOrOrdinal(std::wstring* text, int* ordinal) {
    WORD first = Word();
    if (first == 0xFFFF) {
      *ordinal = Word();
      return;
    }
    *ordinal = -1;
    if (first == 0) return;
    text->push_back(static_cast<wchar_t>(first));
    *text += String();
  }
  void Skip(size_t n) {
    if (static_cast<size_t>(end_ - p_) < n) {
      ok_ = false;
      p_ = end_;
      return;
    }
    p_ += n;
  }
  void AlignDword() { Skip((4 - (p_ - begin_) % 4) % 4); }

 private:
  void Read(void* out, size_t n) {
    if (static_cast<size_t>(end_ - p_) < n) {
      ok_ = false;
      p_ = end_;
      return;
    }
    std::memcpy(out, p_, n);
    p_ += n;
  }

  const BYTE* begin_;
  const BYTE* p_;
  const BYTE* end_;
  bool ok_ = true;
};

std::wstring PredefinedClassName(int ordinal) {
  switch (ordinal) {
    case 0x80:
      return L"Button";
    case 0x81:
      return L"Edit";
    case 0x82:
      return L"Static";
    case 0x83:
      return L"ListBox";
    case 0x84:
      return L"ScrollBar";
    case 0x85:
      return L"ComboBox";
  }
  return L"#" + std::to_wstring(ordinal);
}

// Returns false (with a test failure) when the template is missing or malformed.
bool LoadDialogTemplate(int id, DialogTemplate* out) {
  HRSRC info = FindResourceW(Self(), MAKEINTRESOURCEW(id), RT_DIALOG);
  if (info == nullptr) {
    ADD_FAILURE() << "dialog template " << id << " is missing";
    return false;
  }
  auto data = static_cast<const BYTE*>(LockResource(LoadResource(Self(), info)));
  TemplateReader r(data, SizeofResource(Self(), info));
  WORD version = r.Word();
  WORD signature = r.Word();
  if (version != 1 || signature != 0xFFFF) {
    ADD_FAILURE() << "dialog template " << id << " is not a DLGTEMPLATEEX";
    return false;
  }
  r.Dword();  // help id
  out->exStyle = r.Dword();
  out->style = r.Dword();
  WORD count = r.Word();
  r.Short();
  r.Short();
  out->cx = r.Short();
  out->cy = r.Short();
  std::wstring menu, windowClass;
  int menuOrdinal, classOrdinal, captionOrdinal;
  r.StringOrOrdinal(&menu, &menuOrdinal);
  r.StringOrOrdinal(&windowClass, &classOrdinal);
  r.StringOrOrdinal(&out->caption, &captionOrdinal);
  if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
    out->pointSize = r.Word();
    r.Word();  // weight
    r.Byte();  // italic
    out->charSet = r.Byte();
    out->face = r.String();
  }
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.AlignDword();
    TemplateItem item;
    r.Dword();  // help id
    item.exStyle = r.Dword();
    item.style = r.Dword();
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = static_cast<int>(r.Dword());
    int ordinal = -1;
    r.StringOrOrdinal(&item.cls, &ordinal);
    if (ordinal >= 0) item.cls = PredefinedClassName(ordinal);
    r.StringOrOrdinal(&item.text, &item.textOrdinal);
    r.Skip(r.Word());  // creation data
    out->items.push_back(item);
  }
  if (!r.ok()) {
    ADD_FAILURE() << "dialog template " << id << " ends early";
    return false;
  }
  return true;
}

bool SameClass(const std::wstring& a, const wchar_t* b) {
  return lstrcmpiW(a.c_str(), b) == 0;
}

std::string Narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

// ---------------------------------------------------------------------------------------------
// What each template must hold. An entry with IDC_STATIC is found by its class and text, the
// others by their id. Entries are in template order (which is also the tab order); style bits
// are compared under a mask, so that a read-only field cannot turn into an editable one and
// an auto check box cannot turn into a push button. A negative x leaves the position
// unchecked, a negative cx only the size.

constexpr DWORD kButtonType = BS_TYPEMASK;
constexpr DWORD kStaticType = SS_TYPEMASK;
constexpr DWORD kEditKind = ES_READONLY | ES_NUMBER;
constexpr DWORD kComboKind = 0x3 | CBS_SORT;  // CBS_SIMPLE, CBS_DROPDOWN or CBS_DROPDOWNLIST

struct ExpectedControl {
  int id;
  const wchar_t* cls;
  DWORD mask;
  DWORD style;
  short x, y, cx, cy;
  const wchar_t* text;  // nullptr: not checked
  int textOrdinal;      // -1: not checked
};

struct ExpectedDialog {
  int id;
  DWORD mask;  // window style bits compared
  DWORD style;
  DWORD exMask;
  DWORD exStyle;
  short cx, cy;
  const wchar_t* caption;
  WORD pointSize;
  const wchar_t* face;
  std::vector<ExpectedControl> controls;
};

// Shorthands for the tables.
ExpectedControl Label(const wchar_t* text, short x = -1, short y = -1, short cx = -1,
                      short cy = -1) {
  return {IDC_STATIC, L"Static", kStaticType, SS_LEFT, x, y, cx, cy, text, -1};
}
ExpectedControl Group(const wchar_t* text, short x, short y, short cx, short cy) {
  return {IDC_STATIC, L"Button", kButtonType, BS_GROUPBOX, x, y, cx, cy, text, -1};
}
ExpectedControl Edit(int id, DWORD kind, short x = -1, short y = -1, short cx = -1, short cy = -1) {
  return {id, L"Edit", kEditKind, kind, x, y, cx, cy, nullptr, -1};
}
ExpectedControl Push(int id, const wchar_t* text, short x = -1, short y = -1, short cx = -1,
                     short cy = -1) {
  return {id, L"Button", kButtonType, BS_PUSHBUTTON, x, y, cx, cy, text, -1};
}
ExpectedControl Check(int id, const wchar_t* text, short x = -1, short y = -1, short cx = -1,
                      short cy = -1) {
  return {id, L"Button", kButtonType, BS_AUTOCHECKBOX, x, y, cx, cy, text, -1};
}
ExpectedControl Radio(int id, bool first, const wchar_t* text, short x, short y, short cx,
                      short cy) {
  return {id,
          L"Button",
          kButtonType | WS_GROUP,
          static_cast<DWORD>(BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0)),
          x,
          y,
          cx,
          cy,
          text,
          -1};
}
ExpectedControl DropList(int id, bool sorted, short x, short y, short cx, short cy) {
  return {id,         L"ComboBox",
          kComboKind, static_cast<DWORD>(CBS_DROPDOWNLIST | (sorted ? CBS_SORT : 0)),
          x,          y,
          cx,         cy,
          nullptr,    -1};
}
ExpectedControl Hotkey(int id, short x, short y, short cx, short cy) {
  return {id, L"msctls_hotkey32", 0, 0, x, y, cx, cy, nullptr, -1};
}

constexpr DWORD kPageMask = WS_CHILD | WS_POPUP | WS_CAPTION | WS_VISIBLE;
constexpr DWORD kPopupMask = WS_CHILD | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                             WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;

const std::vector<ExpectedDialog>& Dialogs() {
  static const std::vector<ExpectedDialog> dialogs = {
      {IDD_ABOUTBOX,
       kPopupMask,
       WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
       0,
       0,
       170,
       62,
       L"Lorik について",
       9,
       L"MS UI Gothic",
       {
           {IDC_STATIC, L"Static", kStaticType, SS_ICON, 14, 14, 20, 20, nullptr, IDI_ICON_ABOUT},
           {IDC_STATIC_VERSION, L"Static", kStaticType | SS_NOPREFIX, SS_LEFT | SS_NOPREFIX, 42, 14,
            114, 8, L"Lorik、バージョン 1.00", -1},
           {IDC_STATIC, L"Static", kStaticType, SS_LEFT, 42, 26, 114, 8, nullptr, -1},
           {IDOK, L"Button", kButtonType, BS_DEFPUSHBUTTON, 113, 41, 50, 14, L"OK", -1},
       }},
      {IDD_LORIK_DIALOG,
       kPopupMask | WS_VISIBLE,
       WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
       WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
       WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
       69,
       60,
       L"Lorik",
       9,
       L"MS UI Gothic",
       {
           {IDC_PROGRESS_INFO, L"msctls_progress32", WS_BORDER, WS_BORDER, 12, 48, 57, 12, nullptr,
            -1},
           {IDC_STATIC_THUMB, L"Static", kStaticType, SS_GRAYRECT, 0, 0, 69, 48, nullptr, -1},
           {IDC_BUTTON_PHOTO, L"Static", kStaticType | SS_NOTIFY | SS_CENTERIMAGE,
            SS_BITMAP | SS_NOTIFY | SS_CENTERIMAGE, 1, 48, 11, 12, nullptr, IDB_MULTI_NORMAL},
       }},
      {IDD_SETTING,
       kPopupMask,
       WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
       0,
       0,
       297,
       210,
       L"設定",
       8,
       L"MS Shell Dlg",
       {
           {IDC_TAB_SETTING, L"SysTabControl32", 0, 0, 7, 7, 284, 180, nullptr, -1},
           {IDOK, L"Button", kButtonType, BS_DEFPUSHBUTTON, 185, 191, 50, 14, L"OK", -1},
           {IDCANCEL, L"Button", kButtonType, BS_PUSHBUTTON, 240, 191, 50, 14, L"キャンセル", -1},
       }},
      {IDD_SETTING_CAPTURE,
       kPageMask,
       WS_CHILD,
       0,
       0,
       281,
       166,
       L"",
       8,
       L"MS Shell Dlg",
       {
           Label(L"タイトル"),
           Edit(IDC_EDIT_TITLE, ES_READONLY),
           Push(IDC_BUTTON_DRAG, L"窓へドラッグ"),
           Label(L"認識状態"),
           Edit(IDC_EDIT_STATUS, ES_READONLY),
           Edit(IDC_EDIT_AREA_X, ES_NUMBER),
           Edit(IDC_EDIT_AREA_Y, ES_NUMBER),
           Edit(IDC_EDIT_AREA_WIDTH, ES_NUMBER),
           Edit(IDC_EDIT_AREA_HEIGHT, ES_NUMBER),
           Label(L"X"),
           Label(L"Y"),
           Label(L"幅"),
           Label(L"高"),
           Check(IDC_CHECK_DESKTOP, L"デスクトップからキャプチャ"),
           Push(IDC_BUTTON_AUTO_RECOGNIZE, L"領域自動認識"),
           Check(IDC_CHECK_RESEARCH, L"ウィンドウロスト後、自動捜索する"),
           Check(IDC_CHECK_LOST_DIALOG, L"ウィンドウロスト時にダイアログを表示"),
           Label(L"取込周期"),
           Edit(IDC_EDIT_PERIOD, ES_NUMBER),
           Label(L"ms"),
           Check(IDC_CHECK_RETARGET, L"デスクトップからキャプチャ時は起動時に再ターゲット"),
       }},
      {IDD_SETTING_SAVE,
       kPageMask,
       WS_CHILD,
       0,
       0,
       281,
       166,
       L"",
       8,
       L"MS Shell Dlg",
       {
           Group(L"画像設定", 7, 8, 267, 30),
           Label(L"画像形式"),
           DropList(IDC_COMBO_IMAGETYPE, false, 51, 21, 49, 55),
           Label(L"ビット深度"),
           DropList(IDC_COMBO_BITDEPTH, false, 177, 21, 28, 30),
           Group(L"バッファ設定", 7, 40, 267, 47),
           Label(L"変換"),
           Edit(IDC_EDIT_CONV_BUFF, ES_NUMBER, 51, 52, 29, 14),
           Label(L"枚"),
           Edit(IDC_EDIT_CONV_MEMORY, ES_READONLY, 99, 52, 29, 14),
           Label(L"MB"),
           Label(L"保存"),
           Edit(IDC_EDIT_SAVE_BUFF, ES_NUMBER, 177, 52, 29, 14),
           Label(L"枚"),
           Edit(IDC_EDIT_SAVE_MEMORY, ES_READONLY, 226, 52, 29, 14),
           Label(L"MB"),
           Label(L"スレッド数"),
           Edit(IDC_EDIT_THREAD_NUMBER, ES_NUMBER, 51, 69, 29, 14),
           Check(IDC_CHECK_PREVIEW, L"保存した画像のサムネイル表示", 7, 90, 115, 10),
           Check(IDC_CHECK_DISK_CACHE, L"ディスクキャッシュを活用する", 7, 105, 102, 10),
       }},
      {IDD_SETTING_HOTKEY,
       kPageMask,
       WS_CHILD,
       0,
       0,
       281,
       166,
       L"",
       8,
       L"MS Shell Dlg",
       {
           Group(L"シングルショットの設定", 7, 3, 267, 60),
           Label(L"現在の設定", 85, 9),
           Label(L"入力欄", 181, 9),
           Label(L"ホットキー"),
           Edit(IDC_EDIT_SINGLE_HOTKEY, ES_READONLY, 63, 19, 85, 13),
           Hotkey(IDC_HOTKEY_SINGLE, 150, 18, 80, 14),
           Push(IDC_BUTTON_SINGLE_CHANGE, L"変更", 231, 19, 40, 13),
           Label(L"保存先"),
           Edit(IDC_EDIT_SINGLE_FOLDER, 0, 63, 33, 167, 13),
           Push(IDC_BUTTON_SINGLE_BROWSE, L"参照...", 231, 33, 40, 13),
           Label(L"命名規則"),
           Edit(IDC_EDIT_SINGLE_FORMAT, 0, 63, 47, 167, 13),
           Push(IDC_BUTTON_SINGLE_PREVIEW, L"プレビュー", 231, 47, 40, 13),
           Group(L"マルチショットの設定", 7, 66, 267, 96),
           Label(L"設定名"),
           DropList(IDC_COMBO_MULTI_PROFILE, true, 64, 78, 141, 30),
           Push(IDC_BUTTON_META_LIST, L"メタ文字一覧", 211, 77, 60, 14),
           Label(L"現在の設定", 85, 94),
           Label(L"入力欄", 181, 94),
           Label(L"ホットキー"),
           Edit(IDC_EDIT_MULTI_HOTKEY, ES_READONLY, 63, 104, 85, 13),
           Hotkey(IDC_HOTKEY_MULTI, 150, 103, 80, 14),
           Push(IDC_BUTTON_MULTI_CHANGE, L"変更", 231, 104, 40, 13),
           Label(L"保存先"),
           Edit(IDC_EDIT_MULTI_FOLDER, 0, 63, 118, 167, 13),
           Push(IDC_BUTTON_MULTI_BROWSE, L"参照...", 231, 118, 40, 13),
           Label(L"命名規則"),
           Edit(IDC_EDIT_MULTI_FORMAT, 0, 63, 132, 167, 13),
           Push(IDC_BUTTON_MULTI_PREVIEW, L"プレビュー", 231, 132, 40, 13),
           Label(L"押下前"),
           Edit(IDC_EDIT_BEFORE, ES_NUMBER, 63, 147, 21, 14),
           Label(L"枚"),
           Label(L"押下後"),
           Edit(IDC_EDIT_AFTER, ES_NUMBER, 127, 147, 21, 14),
           Label(L"枚"),
           Label(L"保存速度 1/"),
           Edit(IDC_EDIT_SAVE_SPEED, ES_NUMBER, 208, 147, 22, 14),
       }},
      {IDD_META_HELP,
       kPopupMask,
       WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
       0,
       0,
       255,
       137,
       L"使用可能なメタ文字一覧",
       8,
       L"MS Shell Dlg",
       {
           {IDC_LIST_META, L"SysListView32", LVS_TYPEMASK | LVS_ALIGNMASK | WS_BORDER,
            LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER, 7, 7, 241, 123, nullptr, -1},
       }},
      {IDD_SETTING_MISC,
       kPageMask,
       WS_CHILD,
       0,
       0,
       281,
       166,
       L"",
       8,
       L"MS Shell Dlg",
       {
           Group(L"メインボタン設定", 7, 3, 267, 44),
           Radio(IDC_RADIO_SINGLE_SHOT, true, L"シングルショット", 9, 15, 62, 10),
           Radio(IDC_RADIO_MULTI_SHOT, false, L"マルチショット", 79, 15, 55, 10),
           Radio(IDC_RADIO_LAST_SAVED, false, L"最終保存先", 146, 15, 56, 10),
           Radio(IDC_RADIO_SAVE_FOLDER, false, L"保存フォルダ", 213, 15, 55, 10),
           // Starts a new group, so that the arrow keys stay within the radio buttons.
           {IDC_COMBO_MULTI_SHOT_NO, L"ComboBox", kComboKind | WS_GROUP,
            CBS_DROPDOWNLIST | CBS_SORT | WS_GROUP, 79, 30, 55, 65, nullptr, -1},
           DropList(IDC_COMBO_FOLDER_NO, true, 213, 30, 55, 65),
           Check(IDC_CHECK_ALWAYS_ON_TOP, L"常に最上位に表示", 7, 53, 76, 10),
           Check(IDC_CHECK_CHECK_ON_EXIT, L"終了時に確認", 139, 53, 62, 10),
           Check(IDC_CHECK_SAVE_BUFF_INFO, L"保存バッファ情報を表示", 7, 69, 91, 10),
           Check(IDC_CHECK_MULTIPLE_BOOT, L"多重起動を許可(要再起動)", 139, 69, 107, 10),
           Check(IDC_CHECK_SUPPRESS_ERROR, L"エラーダイアログの表示を抑制する", 7, 85, 121, 10),
           Check(IDC_CHECK_REVIEW_AFTER_MULTI_SHOT, L"マルチショット後に確認ウィンドウを開く", 139,
                 85, 135, 10),
       }},
  };
  return dialogs;
}

void PrintTo(const ExpectedDialog& dialog, std::ostream* os) {
  *os << "template " << dialog.id;
}

std::string DialogName(const testing::TestParamInfo<ExpectedDialog>& info) {
  return "Dialog" + std::to_string(info.param.id);
}

// Where an expected control sits in the template, searching from `from` for unnamed ones.
int FindItem(const DialogTemplate& t, const ExpectedControl& e, size_t from) {
  if (e.id != IDC_STATIC) {
    int found = -1;
    for (size_t i = 0; i < t.items.size(); ++i) {
      if (t.items[i].id != e.id) continue;
      EXPECT_EQ(found, -1) << "id " << e.id << " appears twice";
      found = static_cast<int>(i);
    }
    return found;
  }
  for (size_t i = from; i < t.items.size(); ++i) {
    const TemplateItem& item = t.items[i];
    if (item.id != IDC_STATIC || !SameClass(item.cls, e.cls)) continue;
    if (e.text != nullptr && item.text != e.text) continue;
    if (e.textOrdinal >= 0 && item.textOrdinal != e.textOrdinal) continue;
    if (e.text == nullptr && e.textOrdinal < 0 && e.x >= 0 && (item.x != e.x || item.y != e.y))
      continue;
    return static_cast<int>(i);
  }
  return -1;
}

class DialogTemplateTest : public testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplateTest, FrameStyleSizeCaptionAndFont) {
  const ExpectedDialog& e = GetParam();
  DialogTemplate t;
  ASSERT_TRUE(LoadDialogTemplate(e.id, &t));
  EXPECT_EQ(t.style & e.mask, e.style) << std::hex << "style " << t.style;
  EXPECT_EQ(t.exStyle & e.exMask, e.exStyle) << std::hex << "extended style " << t.exStyle;
  EXPECT_EQ(t.cx, e.cx);
  EXPECT_EQ(t.cy, e.cy);
  EXPECT_EQ(Narrow(t.caption), Narrow(e.caption));
  EXPECT_TRUE(t.style & DS_SETFONT);
  EXPECT_EQ(t.pointSize, e.pointSize);
  EXPECT_EQ(Narrow(t.face), Narrow(e.face));
  // The texts are Japanese; the font must be asked for with a charset that has them.
  EXPECT_TRUE(t.charSet == SHIFTJIS_CHARSET || t.charSet == DEFAULT_CHARSET) << int{t.charSet};
  if (e.style & WS_CHILD) {
    // A page embedded in the host takes part in its tab order.
    EXPECT_TRUE(t.style & DS_CONTROL);
  }
}

TEST_P(DialogTemplateTest, ControlsInOrderWithIdClassStyleAndPlace) {
  const ExpectedDialog& e = GetParam();
  DialogTemplate t;
  ASSERT_TRUE(LoadDialogTemplate(e.id, &t));
  int previous = -1;
  for (const ExpectedControl& c : e.controls) {
    std::string what = "control " + std::to_string(c.id) +
                       (c.text ? " \"" + Narrow(c.text) + "\"" : std::string()) + " of " +
                       std::to_string(e.id);
    int index = FindItem(t, c, static_cast<size_t>(previous + 1));
    if (index < 0) {
      ADD_FAILURE() << what << " is missing";
      continue;
    }
    EXPECT_GT(index, previous) << what << " is out of template order";
    previous = index;
    const TemplateItem& item = t.items[index];
    EXPECT_TRUE(SameClass(item.cls, c.cls)) << what << " has class " << Narrow(item.cls);
    EXPECT_EQ(item.style & c.mask, c.style) << what << std::hex << " has style " << item.style;
    EXPECT_TRUE(item.style & WS_CHILD) << what;
    EXPECT_TRUE(item.style & WS_VISIBLE) << what;
    if (c.x >= 0) {
      EXPECT_EQ(item.x, c.x) << what;
      EXPECT_EQ(item.y, c.y) << what;
    }
    if (c.cx >= 0) {
      EXPECT_EQ(item.cx, c.cx) << what;
      EXPECT_EQ(item.cy, c.cy) << what;
    }
    if (c.text != nullptr) {
      EXPECT_EQ(Narrow(item.text), Narrow(c.text)) << what;
    }
    if (c.textOrdinal >= 0) {
      EXPECT_EQ(item.textOrdinal, c.textOrdinal) << what;
    }
  }
}

TEST_P(DialogTemplateTest, EveryControlLiesInsideTheClientArea) {
  const ExpectedDialog& e = GetParam();
  DialogTemplate t;
  ASSERT_TRUE(LoadDialogTemplate(e.id, &t));
  for (const TemplateItem& item : t.items) {
    // Drop-down lists give the height of their opened list, which may leave the dialog.
    bool dropDown = SameClass(item.cls, L"ComboBox");
    EXPECT_GE(item.x, 0) << Narrow(item.text) << " " << item.id;
    EXPECT_GE(item.y, 0) << Narrow(item.text) << " " << item.id;
    EXPECT_LE(item.x + item.cx, t.cx) << Narrow(item.text) << " " << item.id;
    if (!dropDown) {
      EXPECT_LE(item.y + item.cy, t.cy) << Narrow(item.text) << " " << item.id;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplateTest, testing::ValuesIn(Dialogs()), DialogName);

// ---------------------------------------------------------------------------------------------
// The templates create real windows: every class is registered and every control exists.

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

class CreatedDialogTest : public testing::TestWithParam<ExpectedDialog> {
 protected:
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    if (host_ != nullptr) DestroyWindow(host_);
  }
  // Pages are created inside the settings host, as the program does.
  HWND Create(const ExpectedDialog& e) {
    HWND parent = nullptr;
    if (e.style & WS_CHILD) {
      host_ =
          CreateDialogParamW(Self(), MAKEINTRESOURCEW(IDD_SETTING), nullptr, QuietDialogProc, 0);
      parent = host_;
    }
    dialog_ = CreateDialogParamW(Self(), MAKEINTRESOURCEW(e.id), parent, QuietDialogProc, 0);
    return dialog_;
  }
  HWND host_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_P(CreatedDialogTest, EveryControlIsCreatedWithItsRealClass) {
  const ExpectedDialog& e = GetParam();
  DialogTemplate t;
  ASSERT_TRUE(LoadDialogTemplate(e.id, &t));
  HWND dialog = Create(e);
  ASSERT_NE(dialog, nullptr) << "CreateDialogParamW failed: " << GetLastError();

  int children = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    ++children;
  EXPECT_EQ(children, static_cast<int>(t.items.size()));

  for (const ExpectedControl& c : e.controls) {
    if (c.id == IDC_STATIC) continue;
    HWND control = GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << "control " << c.id << " of " << e.id;
    EXPECT_TRUE(SameClass(ClassOf(control), c.cls))
        << "control " << c.id << " of " << e.id << " is a " << Narrow(ClassOf(control));
  }
}

INSTANTIATE_TEST_SUITE_P(Resources, CreatedDialogTest, testing::ValuesIn(Dialogs()), DialogName);

TEST(CreatedDialog, MainButtonStartsWithTheMultiShotPicture) {
  HWND dialog =
      CreateDialogParamW(Self(), MAKEINTRESOURCEW(IDD_LORIK_DIALOG), nullptr, QuietDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  auto bitmap = reinterpret_cast<HBITMAP>(
      SendDlgItemMessageW(dialog, IDC_BUTTON_PHOTO, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info = {};
  ASSERT_NE(GetObjectW(bitmap, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
  DestroyWindow(dialog);
}

TEST(CreatedDialog, AboutBoxShowsItsIcon) {
  HWND dialog =
      CreateDialogParamW(Self(), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, QuietDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  HWND icon = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = child;
  }
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
  DestroyWindow(dialog);
}

// ---------------------------------------------------------------------------------------------
// Context menu

struct ExpectedItem {
  UINT id;  // 0 for the separator and the submenu
  const wchar_t* text;
  bool separator;
  bool submenu;
};

void ExpectMenuItems(HMENU menu, const std::vector<ExpectedItem>& items) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 128;
    ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) << i;
    const ExpectedItem& e = items[i];
    EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, e.separator) << "item " << i;
    EXPECT_EQ(info.hSubMenu != nullptr, e.submenu) << "item " << i;
    if (e.separator) continue;
    EXPECT_EQ(Narrow(text), Narrow(e.text)) << "item " << i;
    if (!e.submenu) {
      EXPECT_EQ(info.wID, e.id) << "item " << i;
    }
  }
}

TEST(Menu, ContextMenuIsTheFirstPopupWithFolderSubmenuFirst) {
  HMENU menu = LoadMenuW(Self(), MAKEINTRESOURCEW(IDR_MENU_CONTEXT));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  HMENU context = GetSubMenu(menu, 0);
  ASSERT_NE(context, nullptr);
  ExpectMenuItems(context, {
                               {0, L"フォルダを開く", false, true},
                               {32778, L"最後のマルチショットを確認", false, false},
                               {32776, L"サムネイルを表示", false, false},
                               {32773, L"常に最上位に表示", false, false},
                               {32771, L"設定...", false, false},
                               {32777, L"バージョン...", false, false},
                               {0, nullptr, true, false},
                               {32772, L"終了", false, false},
                           });
  HMENU folders = GetSubMenu(context, 0);
  ASSERT_NE(folders, nullptr);
  ExpectMenuItems(folders, {
                               {34779, L"最後に保存したフォルダ", false, false},
                               {34780, L"シングルショット", false, false},
                           });
  DestroyMenu(menu);
}

TEST(StringTable, AboutItemText) {
  wchar_t text[128] = {};
  ASSERT_GT(LoadStringW(Self(), IDS_ABOUTBOX, text, 128), 0);
  EXPECT_EQ(Narrow(text), Narrow(L"Lorikについて(&A)..."));
}

// ---------------------------------------------------------------------------------------------
// Pictures

struct ExpectedBitmap {
  int id;
  int size;
  bool pressed;  // pressed pictures are blue, normal ones grey
};

void PrintTo(const ExpectedBitmap& bitmap, std::ostream* os) {
  *os << "bitmap " << bitmap.id;
}

class BitmapTest : public testing::TestWithParam<ExpectedBitmap> {};

TEST_P(BitmapTest, SizeDepthAndColour) {
  const ExpectedBitmap& e = GetParam();
  auto bitmap = static_cast<HBITMAP>(
      LoadImageW(Self(), MAKEINTRESOURCEW(e.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION dib = {};
  ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmWidth, e.size);
  EXPECT_EQ(dib.dsBm.bmHeight, e.size);
  ASSERT_EQ(dib.dsBm.bmBitsPixel, 24);

  int coloured = 0, blue = 0, dark = 0;
  auto bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
  for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
    const BYTE* row = bits + y * dib.dsBm.bmWidthBytes;
    for (int x = 0; x < dib.dsBm.bmWidth; ++x) {
      int b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
      if (r != g || g != b) ++coloured;
      if (b >= r + 60 && b >= g + 30) ++blue;
      if (r + g + b < 3 * 160) ++dark;
    }
  }
  // A drawing, not an empty square: a fair share of the pixels stands out from the face.
  EXPECT_GT(dark, e.size * e.size / 5);
  if (e.pressed) {
    EXPECT_GT(blue, e.size * e.size / 5);
  } else {
    EXPECT_EQ(coloured, 0);
  }
  DeleteObject(bitmap);
}

// Each picture drawn for 100, 125, 150 and 200 %.
INSTANTIATE_TEST_SUITE_P(MainButton, BitmapTest,
                         testing::Values(ExpectedBitmap{IDB_SINGLE_NORMAL, 12, false},
                                         ExpectedBitmap{IDB_SINGLE_PRESSED, 12, true},
                                         ExpectedBitmap{IDB_MULTI_NORMAL, 16, false},
                                         ExpectedBitmap{IDB_MULTI_PRESSED, 16, true},
                                         ExpectedBitmap{IDB_FOLDER_NORMAL, 12, false},
                                         ExpectedBitmap{IDB_FOLDER_PRESSED, 12, true},
                                         ExpectedBitmap{IDB_SINGLE_NORMAL_120, 15, false},
                                         ExpectedBitmap{IDB_SINGLE_PRESSED_120, 15, true},
                                         ExpectedBitmap{IDB_MULTI_NORMAL_120, 20, false},
                                         ExpectedBitmap{IDB_MULTI_PRESSED_120, 20, true},
                                         ExpectedBitmap{IDB_FOLDER_NORMAL_120, 15, false},
                                         ExpectedBitmap{IDB_FOLDER_PRESSED_120, 15, true},
                                         ExpectedBitmap{IDB_SINGLE_NORMAL_144, 18, false},
                                         ExpectedBitmap{IDB_SINGLE_PRESSED_144, 18, true},
                                         ExpectedBitmap{IDB_MULTI_NORMAL_144, 24, false},
                                         ExpectedBitmap{IDB_MULTI_PRESSED_144, 24, true},
                                         ExpectedBitmap{IDB_FOLDER_NORMAL_144, 18, false},
                                         ExpectedBitmap{IDB_FOLDER_PRESSED_144, 18, true},
                                         ExpectedBitmap{IDB_SINGLE_NORMAL_192, 24, false},
                                         ExpectedBitmap{IDB_SINGLE_PRESSED_192, 24, true},
                                         ExpectedBitmap{IDB_MULTI_NORMAL_192, 32, false},
                                         ExpectedBitmap{IDB_MULTI_PRESSED_192, 32, true},
                                         ExpectedBitmap{IDB_FOLDER_NORMAL_192, 24, false},
                                         ExpectedBitmap{IDB_FOLDER_PRESSED_192, 24, true}),
                         [](const testing::TestParamInfo<ExpectedBitmap>& info) {
                           return "Bitmap" + std::to_string(info.param.id);
                         });

// The image that a group icon or cursor offers for a size must really have that size: a
// missing size would be stretched from another one.
void ExpectImageOfSize(int group, bool icon, int size) {
  HRSRC info =
      FindResourceW(Self(), MAKEINTRESOURCEW(group), icon ? RT_GROUP_ICON : RT_GROUP_CURSOR);
  ASSERT_NE(info, nullptr) << group;
  auto directory = static_cast<BYTE*>(LockResource(LoadResource(Self(), info)));
  int id = LookupIconIdFromDirectoryEx(directory, icon, size, size, LR_DEFAULTCOLOR);
  ASSERT_NE(id, 0) << group;
  HRSRC image = FindResourceW(Self(), MAKEINTRESOURCEW(id), icon ? RT_ICON : RT_CURSOR);
  ASSERT_NE(image, nullptr) << group;
  auto data = static_cast<const BYTE*>(LockResource(LoadResource(Self(), image)));
  if (!icon) data += 4;  // a cursor image starts with its hotspot
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  EXPECT_EQ(header.biWidth, size) << group;
  EXPECT_EQ(header.biHeight, 2 * size) << group;  // colour and mask
}

// The sizes 100, 125, 150 and 200 % ask for: small and large icons, and the
// picker's 16-pixel picture at each scale.
TEST(Icons, EachIconHasAnImageForEveryScaleAndLoads) {
  const struct {
    int id;
    std::vector<int> sizes;
  } icons[] = {{IDI_ICON_ABOUT, {16, 20, 24, 32, 40, 48, 64}},
               {IDI_ICON_APP, {16, 20, 24, 32, 40, 48, 64}},
               {IDI_ICON_PICKER, {16, 20, 24, 32}}};
  for (const auto& [id, sizes] : icons) {
    for (int size : sizes) {
      ExpectImageOfSize(id, true, size);
      auto icon = static_cast<HICON>(
          LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(icon, nullptr) << id;
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour = {};
      ASSERT_NE(GetObjectW(info.hbmColor, sizeof colour, &colour), 0) << id;
      EXPECT_EQ(colour.bmWidth, size) << id;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

TEST(Icons, DragCursorIs32PixelsWithItsHotspotInTheCentre) {
  ExpectImageOfSize(IDC_CURSOR_DRAG, false, 32);
  HCURSOR cursor = LoadCursorW(Self(), MAKEINTRESOURCEW(IDC_CURSOR_DRAG));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 16u);
  EXPECT_EQ(info.yHotspot, 16u);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

// ---------------------------------------------------------------------------------------------
// Manifest and version

TEST(Manifest, AsksForCommonControls6AndPerMonitorDpi) {
  HRSRC info = FindResourceW(Self(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_NE(info, nullptr);
  auto text = static_cast<const char*>(LockResource(LoadResource(Self(), info)));
  std::string manifest(text, SizeofResource(Self(), info));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2,PerMonitor<"), std::string::npos);
  EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);

  // The loader honoured it: comctl32 is redirected to the side-by-side version 6 assembly,
  // and the process runs per-monitor DPI aware.
  ACTCTX_SECTION_KEYED_DATA redirect = {};
  redirect.cbSize = sizeof redirect;
  EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &redirect));
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(comctl, path, MAX_PATH);
  CharLowerW(path);
  EXPECT_NE(std::wstring(path).find(L"\\winsxs\\"), std::wstring::npos) << Narrow(path);
  EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
            DPI_AWARENESS_PER_MONITOR_AWARE);
}

std::vector<BYTE> OwnVersionInfo() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_GT(length, 0u);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  EXPECT_GT(size, 0u);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, data.data())) data.clear();
  return data;
}

TEST(Version, FixedFileAndProductVersion) {
  std::vector<BYTE> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), LORIK_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), LORIK_VERSION_MINOR);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), LORIK_VERSION_PATCH);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), LORIK_VERSION_BUILD);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 0);
}

TEST(Version, StringBlocksAgreeWithTheFixedVersion) {
  std::vector<BYTE> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  std::wstring expected =
      std::to_wstring(LORIK_VERSION_MAJOR) + L"." + std::to_wstring(LORIK_VERSION_MINOR) + L"." +
      std::to_wstring(LORIK_VERSION_PATCH) + L"." + std::to_wstring(LORIK_VERSION_BUILD);
  for (const wchar_t* block : {L"041104b0", L"040904b0"}) {
    for (const wchar_t* key : {L"FileVersion", L"ProductVersion", L"ProductName"}) {
      std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + key;
      wchar_t* value = nullptr;
      UINT length = 0;
      ASSERT_TRUE(
          VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
          << Narrow(path);
      std::wstring want = std::wcscmp(key, L"ProductName") == 0 ? L"Lorik" : expected;
      EXPECT_EQ(Narrow(value), Narrow(want)) << Narrow(path);
    }
  }
}

}  // namespace
