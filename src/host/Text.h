// Text helpers shared by every layer: case folding for all letters (not only ASCII), and the
// ANSI code page used at the Win32 "...A" calls and the support library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Lower-cases every letter of a UTF-8 string that has a simple one-to-one lower case (Latin,
// Greek, Cyrillic, ...). Malformed bytes are kept as they are.
std::string FoldCase(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// A hash of the folded text: texts that are EqualsNoCase hash alike. No allocation for ASCII.
size_t HashNoCase(std::string_view s);
std::string ToUpper(std::string_view s);

// Visual Basic's InStr(start, s, find, vbTextCompare): 1-based position or 0. Works on bytes
// with ASCII-only folding, which is what the callers' markers ("<filter>", "@", ".") need.
size_t InStrNoCase(size_t nStart, std::string_view s, std::string_view sFind);

std::string Trim(std::string_view s);

// True when every byte is 7-bit: such text is the same in UTF-8 and in the ANSI code page.
bool IsAscii(std::string_view s);

// One UTF-8 sequence at s[i]: its code point, with i moved behind it; -1 for a malformed
// sequence, with i moved one byte on.
int32_t DecodeUtf8(std::string_view s, size_t& i);
void AppendUtf8(int32_t cp, std::string& out);
// Bytes of the character that starts at nPos (1 for a malformed one, 0 at the end).
size_t Utf8CharLength(std::string_view s, size_t nPos);

// Upper-case hexadecimal, two digits per byte, as entry IDs are written.
std::string HexOfBytes(const std::vector<uint8_t>& vecBytes);

// UTF-8 <-> Windows-1252; characters outside the code page become '?'.
std::string Utf8ToAnsi(std::string_view s);
std::string AnsiToUtf8(std::string_view s);

}  // namespace host
