#include "qel/csv.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The first `c` in [from, to), or `to`.
char* Find(char* from, char* to, char c) {
  void* at = std::memchr(from, c, static_cast<std::size_t>(to - from));
  return at == nullptr ? to : static_cast<char*>(at);
}

// The bytes a scan outside quotes stops at: the line ends and the quote.
constexpr std::array<bool, 256> kStops = [] {
  std::array<bool, 256> stops{};
  stops['\n'] = stops['\r'] = stops['"'] = true;
  return stops;
}();

// Sixteen bytes at a time where the processor can: a bit for each byte at `p` that is `a`, `b` or
// `c`. Records are short and their fields shorter, so a library search per field or line costs
// more than it saves.
#if defined(__SSE2__)
constexpr std::size_t kWide = 16;
inline std::uint32_t Matches(const char* p, char a, char b, char c) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(a)),
                                                 _mm_cmpeq_epi8(bytes, _mm_set1_epi8(b))),
                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
}
#else
constexpr std::size_t kWide = 0;  // byte by byte
inline std::uint32_t Matches(const char*, char, char, char) {
  return 0;
}
#endif

// The bytes that put a field written in quotes.
constexpr std::array<bool, 256> kNeedQuotes = [] {
  std::array<bool, 256> need{};
  need[','] = need['"'] = need['\r'] = need['\n'] = true;
  return need;
}();

std::string Bytes(std::size_t n) {
  return std::to_string(n) + " bytes";
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

void CsvReader::Start() {
  if (started_) return;
  started_ = true;
  while (end_ < kByteOrderMark.size() && Fill()) {
  }
  if (std::string_view(buffer_.data(), end_).starts_with(kByteOrderMark))
    begin_ = kByteOrderMark.size();
}

void CsvReader::TooLong() const {
  throw CsvLimitError(
      line_, "line " + std::to_string(line_) + ": a record runs on past " + Bytes(kMaxRecord));
}

bool CsvReader::FindRecord(std::size_t& contentEnd, std::size_t& next, long& lines) {
  Scan& s = scan_;
  for (;;) {
    const char* const data = buffer_.data() + begin_;
    const std::size_t size = end_ - begin_;
    // A byte whose meaning depends on the next one waits for it unless the input has ended.
    const bool last = eof_;
    std::size_t i = s.at;
    while (i < size) {
      if (s.quoted) {
        const char c = data[i];
        if (c == '"') {
          if (i + 1 == size && !last) break;
          if (i + 1 < size && data[i + 1] == '"') {
            i += 2;
            continue;
          }
          s.quoted = false;
        } else if (c == '\n') {
          ++s.lines;
        } else if (c == '\r') {
          if (i + 1 == size && !last) break;
          if (i + 1 == size || data[i + 1] != '\n') ++s.lines;
        }
        if (++i - s.quoteAt > kMaxQuotedField)
          throw CsvLimitError(s.quoteLine, "line " + std::to_string(s.quoteLine) +
                                               ": a quoted field opened here runs on past " +
                                               Bytes(kMaxQuotedField) + "; is a quote missing?");
        continue;
      }
      if constexpr (kWide > 0) {
        for (; size - i >= kWide; i += kWide) {
          if (const std::uint32_t hits = Matches(data + i, '\n', '\r', '"'); hits != 0) {
            i += static_cast<std::size_t>(std::countr_zero(hits));
            break;
          }
        }
      }
      while (i < size && !kStops[static_cast<unsigned char>(data[i])]) ++i;
      if (i == size) break;
      const char c = data[i];
      if (c == '"') {
        // A quote opens a quoted field only at the start of a field.
        if (i == 0 || data[i - 1] == ',') {
          s.quoted = true;
          s.quoteAt = i;
          s.quoteLine = line_ + s.lines;
        }
        ++i;
        continue;
      }
      if (c == '\r' && i + 1 == size && !last) break;  // perhaps CR LF, split by the read
      if (i > kMaxRecord) TooLong();
      contentEnd = begin_ + i;
      next = contentEnd + (c == '\r' && i + 1 < size && data[i + 1] == '\n' ? 2 : 1);
      lines = s.lines + 1;
      s = Scan();
      return true;
    }
    s.at = i;
    if (size > kMaxRecord) TooLong();
    if (last) {
      if (s.quoted)
        throw CsvLimitError(s.quoteLine, "line " + std::to_string(s.quoteLine) +
                                             ": a quoted field opened here is never closed");
      if (size == 0) return false;
      contentEnd = next = end_;
      lines = s.lines;
      s = Scan();
      return true;
    }
    Fill();
  }
}

bool CsvReader::Next(CsvRecord& record) {
  Start();
  for (;;) {
    std::size_t contentEnd = 0, next = 0;
    long lines = 0;
    if (!FindRecord(contentEnd, next, lines)) return false;
    record.fields.clear();
    record.error.clear();
    record.line = line_;
    SplitCsvRecord(buffer_.data() + begin_, buffer_.data() + contentEnd, record);
    line_ += lines;
    begin_ = next;
    if (!record.error.empty() || !IsBlankCsvRecord(record)) return true;
  }
}

bool CsvReader::NextBlock(CsvBlock& block, std::size_t bytes) {
  Start();
  bool any = false;
  while (block.text.size() < bytes) {
    std::size_t contentEnd = 0, next = 0;
    long lines = 0;
    try {
      if (!FindRecord(contentEnd, next, lines)) break;
    } catch (const CsvLimitError&) {
      // The records before it go out first; the next call meets the same limit again.
      if (any) break;
      throw;
    }
    const std::size_t at = block.text.size();
    block.text.append(buffer_.data() + begin_, contentEnd - begin_);
    block.records.push_back({at, block.text.size(), line_});
    line_ += lines;
    begin_ = next;
    any = true;
  }
  return any;
}

void CsvBlock::Split(std::size_t i, CsvRecord& record) {
  record.fields.clear();
  record.error.clear();
  record.line = records[i].line;
  SplitCsvRecord(text.data() + records[i].begin, text.data() + records[i].end, record);
}

void SplitCsvRecord(char* p, char* end, CsvRecord& record) {
  // Most records hold no quote: one pass splits them at the commas.
  char* field = p;
  char* q = p;
  bool quote = false;
  if constexpr (kWide > 0) {
    for (; !quote && static_cast<std::size_t>(end - q) >= kWide; q += kWide) {
      for (std::uint32_t hits = Matches(q, ',', '"', ','); hits != 0; hits &= hits - 1) {
        char* at = q + std::countr_zero(hits);
        if (*at == '"') {
          quote = true;
          break;
        }
        record.fields.emplace_back(field, static_cast<std::size_t>(at - field));
        field = at + 1;
      }
    }
  }
  for (; !quote && q < end; ++q) {
    if (*q == ',') {
      record.fields.emplace_back(field, static_cast<std::size_t>(q - field));
      field = q + 1;
    } else if (*q == '"') {
      quote = true;
    }
  }
  if (!quote) {
    record.fields.emplace_back(field, static_cast<std::size_t>(end - field));
    return;
  }
  record.fields.clear();
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

bool IsBlankCsvRecord(const CsvRecord& record) {
  return record.error.empty() && std::all_of(record.fields.begin(), record.fields.end(),
                                             [](std::string_view f) { return f.empty(); });
}

void AppendCsvField(std::string& out, std::string_view field) {
  bool quote = !field.empty() && (field.front() == ' ' || field.back() == ' ' ||
                                  field.front() == '\t' || field.back() == '\t');
  for (char c : field) quote |= kNeedQuotes[static_cast<unsigned char>(c)];
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

}  // namespace qel
