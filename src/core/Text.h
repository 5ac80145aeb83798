#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Strings of the program are std::wstring: UTF-16 on Windows, UTF-32 natively.
// These convert at the edges where bytes are stored or exchanged.
namespace lorik {

std::u16string ToUtf16(std::wstring_view text);
std::wstring FromUtf16(std::u16string_view text);
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Decimal text of a signed integer, as "%d" prints it.
std::wstring DecimalText(long long value);
// Zero-padded decimal text of at least `width` digits, as "%0*d" prints it.
std::wstring PaddedDecimal(long long value, int width);

// The number at the start of a field's text, as the dialog data exchange reads
// it: leading blanks, an optional sign and the digits up to the first other
// character; 0 when there are none. Wraps at 32 bits.
int32_t LeadingDecimal(std::wstring_view text);

// ASCII-only lower-casing, as the program compares INI keywords and meta-characters.
std::wstring AsciiLower(std::wstring_view text);

}  // namespace lorik
