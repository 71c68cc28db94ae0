#pragma once

#include <string>
#include <string_view>

namespace tcc {

// UTF-8 and UTF-16 into each other without loss, for names on Windows. A
// UTF-16 unit that pairs with none, which Windows allows in a name, takes the
// three bytes a code point of its value would take (generalised UTF-8), and
// comes back as it was; a surrogate pair is one code point of four bytes.
// Each wchar_t holds one UTF-16 unit.

// False when text is not such UTF-8 (a byte of another code page, an overlong
// form, a pair written as two halves); out then holds U+FFFD for each byte
// that begins no character.
bool ToUtf16(std::string_view text, std::wstring* out);
// The same for text to show, where what is not such UTF-8 shows as U+FFFD.
std::wstring ToUtf16(std::string_view text);
std::string ToUtf8(std::wstring_view units);

}  // namespace tcc
