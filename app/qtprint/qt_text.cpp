#include "qtprint/qt_text.h"

#include <QStringDecoder>

#include "qel/cp1252.h"

namespace corvala::qtprint {
namespace {

QString FromCp1252(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    out.append(QChar(static_cast<char16_t>(qel::Cp1252ToCodePoint(static_cast<unsigned char>(c)))));
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
