#include "qtprint/qt_text.h"

#include <QStringDecoder>

namespace corvala::qtprint {
namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; the five undefined bytes map to the
// C1 control of the same value, as the code page's best-fit table does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0x9F) {
      out.append(QChar(kCp1252High[byte - 0x80]));
    } else {
      out.append(QChar(static_cast<char16_t>(byte)));
    }
  }
  return out;
}

}  // namespace

QString ToQString(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  if (!utf8.hasError()) {
    return decoded;
  }
  return FromCp1252(text);
}

std::string ToStdString(const QString& text) {
  return text.toUtf8().toStdString();
}

QString ToDisplayLines(std::string_view text) {
  QString decoded = ToQString(text);
  decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  decoded.remove(QChar(u'\r'));
  return decoded;
}

}  // namespace corvala::qtprint
