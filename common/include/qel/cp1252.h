// The Windows-1252 code page of the report files: one byte a character.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// The character a Windows-1252 byte holds. The five bytes the code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) give the control character of the same value.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a character, or `missing` when the code page cannot hold it. The
// separators that locales write between digits and the code page lacks (the narrow no-break space
// U+202F and the other narrow spaces, the Arabic thousands and decimal separators) are held by the
// character that reads the same (the no-break space 0xA0, "," and ".").
char CodePointToCp1252(char32_t codePoint, char missing = '?');

// UTF-8 text as Windows-1252 bytes: characters the code page cannot hold, and bytes that are not
// UTF-8, become `missing`.
std::string Utf8ToCp1252(std::string_view utf8, char missing = '?');

// Text as the program shows it: UTF-8 as it stands; text that is not valid UTF-8 (a name written
// by an older Windows host) is read as Windows-1252, one character a byte.
std::string AsUtf8(std::string_view text);

}  // namespace qel
