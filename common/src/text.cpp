#include "qel/text.h"

#include "qel/utf8.h"

namespace qel {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char FoldedChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string FoldedAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldedChar(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldedChar(a[i]) != FoldedChar(b[i])) return false;
  }
  return true;
}

std::string BoolText(bool value) {
  return value ? "True" : "False";
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

namespace {

// The length of the control character at the front of `text` (1 for C0 and DEL, 2 for a C1
// control in UTF-8), 0 when it starts with text.
std::size_t ControlLength(std::string_view text) {
  const auto c = static_cast<unsigned char>(text[0]);
  if (c < 0x20 || c == 0x7F) return 1;
  if (c == 0xC2 && text.size() > 1) {
    const auto next = static_cast<unsigned char>(text[1]);
    if (next >= 0x80 && next <= 0x9F) return 2;
  }
  return 0;
}

}  // namespace

std::string ControlsToBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = ControlLength(text.substr(i));
    out += n == 0 ? text[i] : ' ';
    i += n == 0 ? 1 : n;
  }
  return out;
}

std::string EscapedControls(std::string_view text, std::string_view keep) {
  constexpr char32_t kNotUtf8 = 0x110000;
  constexpr char kHex[] = "0123456789ABCDEF";
  // Fast path: plain printable ASCII, the usual id or name.
  bool plain = true;
  for (char c : text) plain = plain && c >= 0x20 && c < 0x7F;
  if (plain) return std::string(text);
  std::string out;
  std::size_t at = 0;  // the byte of `text` where the code point begins
  for (char32_t cp : DecodeUtf8(text, kNotUtf8)) {
    if (cp == kNotUtf8) {
      const auto byte = static_cast<unsigned char>(text[at++]);
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
      continue;
    }
    const std::size_t length = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (cp < 0x80 && keep.find(static_cast<char>(cp)) != std::string_view::npos) {
      out += static_cast<char>(cp);
    } else if (cp == '\n') {
      out += "\\n";
    } else if (cp == '\r') {
      out += "\\r";
    } else if (cp == '\t') {
      out += "\\t";
    } else if (cp < 0x20 || cp == 0x7F) {
      out += "\\x";
      out += kHex[cp >> 4];
      out += kHex[cp & 0xF];
    } else if (cp >= 0x80 && cp < 0xA0) {
      out += "\\u00";
      out += kHex[cp >> 4];
      out += kHex[cp & 0xF];
    } else {
      out.append(text.substr(at, length));
    }
    at += length;
  }
  return out;
}

std::string YearRuns(const std::vector<int>& years, std::string_view through) {
  std::string text;
  for (std::size_t i = 0; i < years.size();) {
    std::size_t j = i;
    while (j + 1 < years.size() && years[j + 1] == years[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(years[i]);
    if (j > i) (text += through) += std::to_string(years[j]);
    i = j + 1;
  }
  return text;
}

}  // namespace qel
