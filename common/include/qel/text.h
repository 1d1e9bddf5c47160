// Small text helpers shared by the libraries and the program: blanks, letter case of names,
// Boolean text and the length of UTF-8 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qel {

// Without the blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// Without the blanks (spaces only) at the end, as fixed-width text slots are read.
std::string_view TrimTrailingBlanks(std::string_view text);

// ASCII letters in lower case, every other byte as it is: names (sections, keys, properties,
// switches) are matched without regard to letter case.
std::string FoldedAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// "True" or "False", as Booleans are written in data files and read back by name.
std::string BoolText(bool value);

// The number of characters of UTF-8 text: the bytes that do not continue a sequence.
std::size_t Utf8Length(std::string_view text);

// Control characters: C0 (below 0x20), DEL, and the C1 controls U+0080 to U+009F of UTF-8 text
// (0xC2 followed by 0x80 to 0x9F). Other bytes, UTF-8 or not, are text.
//
// Text with each control character replaced by a blank: report text carries text, never a line
// break of its own or a command to the terminal or printer it reaches.
std::string ControlsToBlanks(std::string_view text);

// Text with each control character written out ("\r", "\n", "\t", "\x1b", "\u0085"), so that a
// name or value keeps to its line of a log or terminal and commands nothing; the bytes in `keep`
// (line breaks of a message, say) stay as they are.
std::string EscapedControls(std::string_view text, std::string_view keep = {});

}  // namespace qel
