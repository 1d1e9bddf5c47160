#include "csv.h"

#include <algorithm>
#include <cstring>

namespace paystave {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The first `c` in [from, to), or `to`.
char* Find(char* from, char* to, char c) {
  void* at = std::memchr(from, c, static_cast<std::size_t>(to - from));
  return at == nullptr ? to : static_cast<char*>(at);
}

bool AllEmpty(const std::vector<std::string_view>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](std::string_view f) { return f.empty(); });
}

}  // namespace

CsvReader::CsvReader(Source source, std::size_t bufferSize)
    : source_(std::move(source)), buffer_(std::max<std::size_t>(bufferSize, 4)) {}

bool CsvReader::Fill() {
  if (eof_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const std::size_t n = source_(buffer_.data() + end_, buffer_.size() - end_);
  if (n == 0) eof_ = true;
  end_ += n;
  return n > 0;
}

char* CsvReader::FindEnd(bool& plain) {
  char* p = buffer_.data() + begin_;
  char* const end = buffer_.data() + end_;
  // Most records hold no quote: their end is the next line feed.
  char* newline = Find(p, end, '\n');
  plain = Find(p, newline, '"') == newline;
  if (plain) return newline == end ? nullptr : newline;
  // A quote counts only at the start of a field; inside quotes, two quotes stand for one.
  bool quoted = false;
  bool fieldStart = true;
  for (; p < end; ++p) {
    const char c = *p;
    if (quoted) {
      if (c == '"') {
        if (p + 1 < end && p[1] == '"')
          ++p;
        else
          quoted = false;  // or, at the end of the data held, decided once more is read
      }
      continue;
    }
    if (c == '\n') return p;
    if (fieldStart && c == '"') quoted = true;
    fieldStart = c == ',';
  }
  return nullptr;
}

void CsvReader::Split(char* p, char* end, bool plain, CsvRecord& record) {
  if (end > p && end[-1] == '\r') --end;
  if (plain) {
    for (char* comma; (comma = Find(p, end, ',')) != end; p = comma + 1)
      record.fields.emplace_back(p, static_cast<std::size_t>(comma - p));
    record.fields.emplace_back(p, static_cast<std::size_t>(end - p));
    return;
  }
  for (;;) {
    if (p < end && *p == '"') {
      // Quoted: unquote in place over the opening quote.
      char* out = p;
      char* read = p + 1;
      for (;;) {
        char* quote = Find(read, end, '"');
        const auto length = static_cast<std::size_t>(quote - read);
        std::memmove(out, read, length);
        out += length;
        if (quote == end) {
          record.error = "a quoted field is not closed";
          read = end;
          break;
        }
        if (quote + 1 < end && quote[1] == '"') {
          *out++ = '"';
          read = quote + 2;
          continue;
        }
        read = quote + 1;
        break;
      }
      record.fields.emplace_back(p, static_cast<std::size_t>(out - p));
      if (!record.error.empty()) return;
      if (read != end && *read != ',') {
        record.error =
            "text follows the closing quote of field " + std::to_string(record.fields.size());
        return;
      }
      p = read;
    } else {
      char* comma = Find(p, end, ',');
      if (Find(p, comma, '"') != comma) {
        record.error = "a quote inside field " + std::to_string(record.fields.size() + 1) +
                       ", which is not in quotes";
        return;
      }
      record.fields.emplace_back(p, static_cast<std::size_t>(comma - p));
      p = comma;
    }
    if (p == end) return;
    ++p;  // the comma
  }
}

bool CsvReader::Next(CsvRecord& record) {
  if (!started_) {
    started_ = true;
    while (end_ < kByteOrderMark.size() && Fill()) {
    }
    if (std::string_view(buffer_.data(), end_).starts_with(kByteOrderMark))
      begin_ = kByteOrderMark.size();
  }
  for (;;) {
    record.fields.clear();
    record.error.clear();
    record.line = line_;
    bool plain = false;
    char* recordEnd = FindEnd(plain);
    while (recordEnd == nullptr && Fill()) recordEnd = FindEnd(plain);
    char* const data = buffer_.data();
    const bool terminated = recordEnd != nullptr;
    if (!terminated) {
      if (begin_ == end_) return false;
      recordEnd = data + end_;  // the last record, without a line break
    }
    line_ += (terminated ? 1 : 0) + std::count(data + begin_, recordEnd, '\n');
    Split(data + begin_, recordEnd, plain, record);
    begin_ = static_cast<std::size_t>(recordEnd - data) + (terminated ? 1 : 0);
    if (!record.error.empty() || !AllEmpty(record.fields)) return true;
  }
}

void AppendCsvField(std::string& out, std::string_view field) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' ' ||
                                         field.front() == '\t' || field.back() == '\t'));
  if (!quote) {
    out.append(field);
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace paystave
