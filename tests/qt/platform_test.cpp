// The Qt platform pieces without windows: the file filter.
#include <gtest/gtest.h>

#include "qt/qt_platform.h"

namespace corvala {
namespace {

TEST(FileFilters, TranslatedToQtSyntax) {
  struct Row {
    const char* filter;
    QStringList expected;
  };
  const Row rows[] = {
      {"Data Files(*.ZOV)|*.ZOV|All Files(*.*)|*.*||",
       {"Data Files (*.ZOV *.zov)", "All Files (*)"}},
      {"Text(*.txt)|*.txt;*.TXT|", {"Text (*.txt *.TXT)"}},
      {"Reports|*.rpt", {"Reports (*.rpt *.RPT)"}},
      {"", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.filter);
    EXPECT_EQ(QtFileFilters(row.filter), row.expected);
  }
}

}  // namespace
}  // namespace corvala
