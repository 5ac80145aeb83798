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
// Ill-formed input (overlong forms, surrogates, values above U+10FFFF, cut or stray
// bytes) becomes U+FFFD, never a character it does not stand for.
std::wstring FromUtf8(std::string_view text);
// True when the text converts without a U+FFFD standing in for anything.
bool IsWellFormedUtf8(std::string_view text);
bool IsWellFormedUtf16(std::u16string_view text);

// Decimal text of a signed integer, as "%d" prints it.
std::wstring DecimalText(long long value);
// Zero-padded decimal text of at least `width` digits, as "%0*d" prints it.
std::wstring PaddedDecimal(long long value, int width);

// Value of a decimal field as the dialogs read it: leading white space skipped, an
// optional sign, then the digits up to the first non-digit; no digits read as 0.
// Values beyond 32 bits are held at the nearest limit.
int32_t DecimalValue(std::wstring_view text);

// ASCII-only lower-casing, as the program compares INI keywords and meta-characters.
std::wstring AsciiLower(std::wstring_view text);

}  // namespace lorik
