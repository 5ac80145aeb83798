#include "core/Text.h"

namespace lorik {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    std::u16string units;
    AppendUtf16(units, c);
    for (char16_t u : units) out.push_back(static_cast<wchar_t>(u));
  } else {
    out.push_back(static_cast<wchar_t>(c));
  }
}

// Decodes one code point of a wide string, joining surrogate pairs where
// wchar_t is 16 bits. Unpaired surrogates become U+FFFD.
char32_t NextWide(std::wstring_view text, size_t& i) {
  char32_t c = static_cast<char32_t>(text[i++]);
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size()) {
    char32_t low = static_cast<char32_t>(text[i]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if (c >= 0xD800 && c <= 0xDFFF) return kReplacement;
  return c;
}

}  // namespace

std::u16string ToUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf16(out, NextWide(text, i));
  return out;
}

std::wstring FromUtf16(std::u16string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendWide(out, c);
  }
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextWide(text, i);
    if (c > 0x10FFFF) c = kReplacement;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

namespace {

// The length of the well-formed UTF-8 sequence at `i` and its code point; 0
// when the bytes there are not one.
size_t NextUtf8(std::string_view text, size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) {
    c = b;
    return 1;
  }
  const size_t extra = (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : 0;
  if (extra == 0 || i + extra >= text.size()) return 0;
  c = b & (0x3F >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(text[i + k]);
    if ((cont & 0xC0) != 0x80) return 0;
    c = (c << 6) | (cont & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return extra + 1;
}

}  // namespace

std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const size_t length = NextUtf8(text, i, c);
    AppendWide(out, length == 0 ? kReplacement : c);
    i += length == 0 ? 1 : length;
  }
  return out;
}

bool IsWellFormedUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const size_t length = NextUtf8(text, i, c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool IsWellFormedUtf16(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xDC00 && u <= 0xDFFF) return false;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

std::wstring DecimalText(long long value) {
  return std::to_wstring(value);
}

std::wstring PaddedDecimal(long long value, int width) {
  bool negative = value < 0;
  std::wstring digits = std::to_wstring(negative ? -(value + 1) + 1ULL : value);
  if (negative) {
    // "%0*d" counts the sign inside the width.
    if (static_cast<int>(digits.size()) + 1 < width)
      digits.insert(0, static_cast<size_t>(width) - digits.size() - 1, L'0');
    return L"-" + digits;
  }
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<size_t>(width) - digits.size(), L'0');
  return digits;
}

int32_t DecimalValue(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  constexpr long long kLimit = 1LL << 31;
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value < kLimit ? value : kLimit - 1);
}

std::wstring AsciiLower(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return out;
}

}  // namespace lorik
