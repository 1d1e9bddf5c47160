#include "ini_document.h"
#include "qel/text.h"

namespace qel::ini {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string EncodeValue(std::string_view value) {
  bool quote =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                         (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
  if (!quote) return std::string(value);
  std::string out = "\"";
  out += value;
  out += '"';
  return out;
}

std::string DecodeValue(std::string_view raw) {
  std::string_view v = TrimBlanks(raw);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

bool Parse(std::string_view bytes, Document& doc, std::size_t& badLine, std::string& reason) {
  doc = Document();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    doc.bom = true;
    bytes.remove_prefix(3);
  }
  bool sawSection = false;
  bool eolKnown = false;
  std::size_t number = 0;
  while (!bytes.empty()) {
    ++number;
    std::size_t nl = bytes.find('\n');
    std::string_view raw = bytes.substr(0, nl);
    bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
    bool crlf = !raw.empty() && raw.back() == '\r';
    if (crlf) raw.remove_suffix(1);
    if (!eolKnown && nl != std::string_view::npos) {
      doc.eol = crlf ? "\r\n" : "\n";
      eolKnown = true;
    }
    badLine = number;
    if (raw.find('\0') != std::string_view::npos) {
      reason = "it holds a NUL byte, so it is not a text file";
      return false;
    }
    if (raw.find('\r') != std::string_view::npos) {
      reason = "a carriage return stands inside the line";
      return false;
    }
    Line line;
    line.text = std::string(raw);
    std::string_view t = TrimBlanks(raw);
    if (t.empty()) {
      line.kind = Line::kBlank;
    } else if (t.front() == ';') {
      line.kind = Line::kComment;
    } else if (t.front() == '[') {
      if (t.back() != ']') {
        reason = "a section line must end with \"]\"";
        return false;
      }
      std::string_view name = TrimBlanks(t.substr(1, t.size() - 2));
      if (name.empty() || name.find(']') != std::string_view::npos) {
        reason = "the section name is empty or holds \"]\"";
        return false;
      }
      line.kind = Line::kSection;
      line.name = std::string(name);
      sawSection = true;
    } else {
      std::size_t eq = t.find('=');
      if (eq == std::string_view::npos) {
        reason = "the line is neither a section, a key=value pair nor a comment";
        return false;
      }
      std::string_view name = TrimBlanks(t.substr(0, eq));
      if (name.empty()) {
        reason = "the key name is empty";
        return false;
      }
      if (!sawSection) {
        reason = "a key stands before any section";
        return false;
      }
      line.kind = Line::kKey;
      line.name = std::string(name);
      line.value = DecodeValue(t.substr(eq + 1));
    }
    doc.lines.push_back(std::move(line));
  }
  return true;
}

std::string Serialize(const Document& doc) {
  std::string out;
  if (doc.bom) out = "\xEF\xBB\xBF";
  for (const Line& line : doc.lines) {
    out += line.text;
    out += doc.eol;
  }
  return out;
}

}  // namespace qel::ini
