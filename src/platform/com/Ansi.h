// Text conversions between the host's UTF-16, the ANSI code page the filter's strings are kept in
// (always Windows-1252, whatever the machine's locale, so that catalogues read the same everywhere)
// and UTF-8 for the Linux side. Every conversion is total: what cannot be represented becomes '?'
// in 1252 and U+FFFD in Unicode.
#pragma once
#include <string>
#include <string_view>

#include "platform/com/HResult.h"

namespace aldra {

std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);
BSTR AnsiToBstr(std::string_view ansi);       // null only when memory runs out
std::string BstrToAnsi(const OLECHAR* text);  // `text` is a BSTR (embedded zeros kept); null gives ""

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view utf8);
BSTR Utf8ToBstr(std::string_view utf8);
std::string BstrToUtf8(const OLECHAR* text);  // `text` is a BSTR; null gives ""

// A file name from the host, in UTF-8 for the file system. Unlike the conversions above it is not
// total: a lone surrogate or a zero character names no file that exists, so false comes back and
// *path is left alone. A null BSTR is the empty name. The lone surrogates U+DC80 to U+DCFF are the
// exception: each stands for the byte 0x80 to 0xFF of a name that is not UTF-8 (Utf8PathToBstr).
bool BstrToUtf8Path(const OLECHAR* text, std::string* path);
// A file name for the filter: its UTF-8 as UTF-16, and each byte that is not part of UTF-8 (Linux
// names are bytes, in whatever encoding their maker used) as the lone surrogate U+DC00 + byte, so
// that BstrToUtf8Path gives the very same bytes back.
BSTR Utf8PathToBstr(std::string_view path);

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace aldra
