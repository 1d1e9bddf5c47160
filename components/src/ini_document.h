// The text of a file of sections and keys, line by line: what both components read and what
// KeyedDataFile rewrites. Internal to qel_components.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel::ini {

struct Line {
  enum Kind { kBlank, kComment, kSection, kKey };
  Kind kind = kBlank;
  std::string text;   // the line as it stands in the file, without its line end
  std::string name;   // section or key name, blanks around it removed
  std::string value;  // key value, decoded (blanks and one pair of surrounding quotes removed)
};

struct Document {
  bool bom = false;        // the file starts with a UTF-8 byte order mark
  std::string eol = "\n";  // "\r\n" when the file's first line ends so
  std::vector<Line> lines;
};

// Parses the bytes of a file. On failure returns false with the 1-based line number and the
// reason. Never fails on any byte sequence other than by returning false.
bool Parse(std::string_view bytes, Document& doc, std::size_t& badLine, std::string& reason);

// The file's bytes: every line followed by the document's line end.
std::string Serialize(const Document& doc);

// The value as written after "=": quoted when blanks around it or a surrounding pair of quotes
// would otherwise be lost on reading.
std::string EncodeValue(std::string_view value);
std::string DecodeValue(std::string_view raw);

}  // namespace qel::ini
