// Text handed over by the program's logic reaches Qt through these two conversions. The logic
// keeps its report text as UTF-8; text that is not valid UTF-8 is taken as Windows-1252, the
// code page of the output file, so a section rule held as bytes of value 151 still shows as
// em dashes.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace corvala::qtprint {

QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);

// CR LF and lone LF become "\n" (the line end of Qt's text widgets); a lone CR is dropped.
QString ToDisplayLines(std::string_view text);

}  // namespace corvala::qtprint
