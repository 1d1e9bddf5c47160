// The Qt tests run inside one QApplication on the offscreen platform, so no window ever reaches
// a screen and nothing touches the real home folder's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <clocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::setlocale(LC_ALL, "C");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("settings"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.filePath("settings"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
