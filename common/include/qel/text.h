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

// Text that came from a file or a person, made safe to echo in a message or a log line: control
// characters (C0, DEL and C1) become escapes (\n, \r, \t, \x1B, \u0085) and bytes that are not
// UTF-8 become \xNN, so that an id or a file name cannot clear the terminal, move its cursor or
// start a line of its own. Everything else is kept as it is.
std::string EscapedControls(std::string_view text);

// The number of characters of UTF-8 text: the bytes that do not continue a sequence.
std::size_t Utf8Length(std::string_view text);

}  // namespace qel
