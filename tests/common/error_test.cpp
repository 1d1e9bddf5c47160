#include "qel/error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "qel/module_path.h"
#include "qel_testing/temp_folder.h"

extern "C" const char* QelModuleProbeFile();

namespace qel {
namespace {

using qel::testing::ErrorOf;

TEST(ErrorTest, StandardDescriptions) {
  struct Row {
    long number;
    const char* text;
  } rows[] = {
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {7, "Out of memory"},
      {11, "Division by zero"},
      {13, "Type mismatch"},
      {53, "File not found"},
      {75, "Path/File access error"},
      {380, "Invalid property value"},
      {438, "Object doesn't support this property or method"},
      {445, "Object doesn't support this action"},
      {10001, "Too many characters entered."},
      {10002, "This item needs to be a number."},
      {10003, "Need to specify a filename."},
      {31337, "Application-defined or object-defined error"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(StandardDescription(r.number), r.text);
    EXPECT_EQ(QelError(r.number, "src").description(), r.text);
  }
  EXPECT_FALSE(StandardDescription(429).empty());
}

TEST(ErrorTest, TrapsBuildASourceTrailOutermostFirst) {
  try {
    TrapDescribe("WhBusObj.Calculate", "\r", "Withholding engine", [] {
      TrapKeep("WhBusObj.CalcWH4Paycheck", "\r\n",
               [] { throw QelError(53, "TaxTableStore.LoadSection", "File not found: x.tbl"); });
    });
    FAIL() << "no error";
  } catch (const QelError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.source(),
              "WhBusObj.Calculate\rWhBusObj.CalcWH4Paycheck\r\nTaxTableStore.LoadSection");
    EXPECT_EQ(e.description(), "Withholding engine");
  }
}

// An error raised with no source (a conversion failing deep inside) gets the first label alone,
// so the trail never ends in an empty line, whatever the separator.
TEST(ErrorTest, ATrailNeverEndsInAnEmptyLine) {
  struct Row {
    const char* separator;
    bool describe;
    const char* trail;
  } rows[] = {
      {"\r", false, "Outer\rInner"},
      {"\r", true, "Outer\rInner"},
      {"\r\n\r\n", false, "Outer\r\n\r\nInner"},
      {"\r\n\r\n", true, "Outer\r\n\r\nInner"},
  };
  for (const Row& r : rows) {
    QelError e = ErrorOf([&] {
      auto inner = [&] { throw std::runtime_error("no source"); };
      auto trap = [&](const char* label, auto body) {
        if (r.describe)
          TrapDescribe(label, r.separator, "Engine", body);
        else
          TrapKeep(label, r.separator, body);
      };
      trap("Outer", [&] { trap("Inner", inner); });
    });
    EXPECT_EQ(e.source(), r.trail) << r.separator << r.describe;
  }
  EXPECT_EQ(QelError(13, "").Reraised("Only", "\r").source(), "Only");
}

TEST(ErrorTest, CurrentErrorMapsForeignExceptions) {
  auto caught = [](auto thrower) {
    try {
      thrower();
    } catch (...) {
      return CurrentError();
    }
    return QelError(0, "");
  };
  QelError a = caught([] { throw std::bad_alloc(); });
  EXPECT_EQ(a.number(), 7);
  EXPECT_EQ(a.description(), "Out of memory");
  QelError b = caught([] { throw std::runtime_error("boom"); });
  EXPECT_EQ(b.number(), 5);
  EXPECT_EQ(b.description(), "boom");
  QelError c = caught([] { throw QelError(13, "here"); });
  EXPECT_EQ(c.number(), 13);
  EXPECT_EQ(c.source(), "here");
  EXPECT_EQ(TrapKeep("x", ".", [] { return 42; }), 42);
}

TEST(ModulePathTest, FindsTheRunningProgram) {
  std::filesystem::path file = ModuleFile(reinterpret_cast<const void*>(&StandardDescription));
  EXPECT_TRUE(file.is_absolute());
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(file.filename(), "qel_common_tests");
  EXPECT_EQ(ModuleFolder(reinterpret_cast<const void*>(&StandardDescription)), file.parent_path());
}

TEST(ModulePathTest, FindsASharedLibraryFromInside) {
  std::filesystem::path lib = QelModuleProbeFile();
  EXPECT_TRUE(lib.is_absolute());
  EXPECT_EQ(lib.filename(), "libqel_module_probe.so");
  EXPECT_TRUE(std::filesystem::exists(lib));
  // The working directory plays no part.
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path("/");
  EXPECT_EQ(ModuleFolder(reinterpret_cast<const void*>(&QelModuleProbeFile)), lib.parent_path());
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace qel
