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

std::string EscapedControls(std::string_view text) {
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
    if (cp == '\n') {
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

}  // namespace qel
