// UTF-8, the text encoding inside the libraries and the program, and its conversions.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// The code points of UTF-8 text. A byte that does not begin a valid sequence (a stray
// continuation byte, a truncated sequence, an overlong form, a surrogate, a value past U+10FFFF)
// gives `invalid` for that one byte, and decoding goes on with the next byte.
std::u32string DecodeUtf8(std::string_view text, char32_t invalid = U'\uFFFD');

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace qel
