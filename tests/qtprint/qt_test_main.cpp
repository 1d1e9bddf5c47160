// The tests run inside one QApplication, on the offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Print jobs of the tests never go to a real printer or the user's PDF setting.
  unsetenv("QEL_PRINT_PDF");
  unsetenv("QEL_PRINT_COPIES");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
