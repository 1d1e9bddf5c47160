#include "qel/tax_table_store.h"

#include <gtest/gtest.h>

#include <string>

#include "../../components/src/data_file.h"
#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel_testing/temp_folder.h"

namespace qel {
namespace {

using qel::testing::ErrorOf;

using qel::testing::TempFolder;
using qel::testing::WriteBytes;

class TaxTableStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files::ForgetTableFiles();  // each test starts as a new run
    WriteBytes(table,
               "; test table\n"
               "[Three rows]\n"
               "Bracket1=100 0 10\n"
               "Bracket2 = 200  10.00\t20\n"
               "Bracket3=1000 170.5 38.6\n"
               "[Zero floor]\n"
               "Bracket1=0 0 15\n");
  }

  Currency Tax(const std::string& section, const char* amount) {
    return Tax(table, section, amount);
  }
  Currency Tax(const std::string& file, const std::string& section, const char* amount) {
    TaxTableStore s;
    s.SetTableFile(file);
    s.SelectSection(section);
    s.SetAmount(Cur(amount));
    s.LoadSection();
    return s.LookupTax(Cur(amount));
  }

  TempFolder dir;
  std::string table = dir.File("rates.tbl");
};

TEST_F(TaxTableStoreTest, LookupAtBelowAndAboveFloors) {
  struct Row {
    const char* section;
    const char* amount;
    const char* tax;  // worked out by hand: base + rate x (amount - floor)
  } rows[] = {
      {"Three rows", "-50", "0"},
      {"Three rows", "0", "0"},
      {"Three rows", "100", "0"},            // at the first floor
      {"Three rows", "100.0001", "0"},       // 0.1 x 0.0001 = 0.00001 -> 0.0000
      {"Three rows", "100.0005", "0.0000"},  // 0.00005 -> even 0
      {"Three rows", "100.0015", "0.0002"},  // 0.00015 -> even 0.0002
      {"Three rows", "150", "5"},
      {"Three rows", "200", "10"},  // at the second floor: still the first bracket
      {"Three rows", "200.01", "10.002"},
      {"Three rows", "1000", "170"},      // 10 + 0.2 x 800
      {"Three rows", "1001", "170.886"},  // 170.5 + 0.386
      {"Zero floor", "-1", "0"},
      {"Zero floor", "0", "0"},
      {"Zero floor", "7300", "1095"},
      {"zero FLOOR", "0.01", "0.0015"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Tax(r.section, r.amount), Cur(r.tax)) << r.section << " " << r.amount;
}

TEST_F(TaxTableStoreTest, BothCallOrdersWork) {
  TaxTableStore s;
  s.SetTableFile(table);
  s.SelectSection("Three rows");
  s.LoadSection();
  s.SetAmount(Cur("150"));
  EXPECT_EQ(s.LookupTax(Cur("150")), Cur("5"));
  EXPECT_EQ(s.LookupTax(Cur("250")), Cur("20"));
  ASSERT_EQ(s.Brackets().size(), 3u);
  EXPECT_EQ(s.Brackets()[2].rate, Cur("0.386"));
  EXPECT_EQ(s.Brackets()[2].base, Cur("170.5"));
}

TEST_F(TaxTableStoreTest, ErrorsNameTheFileAndSection) {
  QelError e = ErrorOf([&] {
    TaxTableStore s;
    s.LookupTax(Cur("1"));
  });
  EXPECT_EQ(e.number(), err::kInvalidCall);

  std::string missing = dir.File("nope.tbl");
  e = ErrorOf([&] {
    TaxTableStore s;
    s.SetTableFile(missing);
    s.SelectSection("Three rows");
    s.LoadSection();
  });
  EXPECT_EQ(e.number(), err::kFileNotFound);
  EXPECT_NE(e.description().find(missing), std::string::npos);

  struct Row {
    std::string body;
    const char* section;
  } rows[] = {
      {"[A]\nBracket1=1 0 10\n", "Absent"},
      {"[A]\nBracket1=1 0 10\n", ""},
      {"[A]\nNote=empty\n", "A"},
      {"[A]\n", "A"},
      {"[A]\nBracket1=1 0\n", "A"},
      {"[A]\nBracket1=1 0 10 5\n", "A"},
      {"[A]\nBracket1=1 0 ten\n", "A"},
      {"[A]\nBracket1=1,000 0 10\n", "A"},
      {"[A]\nBracket1=100 0 10\nBracket2=100 10 15\n", "A"},  // not ascending
      {"[A]\nBracket1=100 0 10\nBracket2=50 10 15\n", "A"},
      {"[A]\nBracket1=1 0 10\nBracket3=5 1 15\n", "A"},  // a gap
      {"[A]\nBracket1=1 0 -10\n", "A"},
      {"[A]\nBracket1=1 0 10.125\n", "A"},  // rate beyond four decimals as a fraction
  };
  int n = 0;
  for (const Row& r : rows) {
    // A table file is kept for the run once read: each body gets a file of its own.
    std::string bad = dir.File("bad" + std::to_string(n++) + ".tbl");
    WriteBytes(bad, r.body);
    e = ErrorOf([&] {
      TaxTableStore s;
      s.SetTableFile(bad);
      s.SelectSection(r.section);
      s.LoadSection();
    });
    EXPECT_EQ(e.number(), err::kInvalidCall) << r.body << " / " << r.section;
    EXPECT_NE(e.description().find(bad), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("[" + std::string(r.section) + "]"), std::string::npos)
        << e.description();
  }

  // A file that cannot be read as a table file is not kept: mended, it is read again.
  table = dir.File("unsound.tbl");
  WriteBytes(table, "Bracket1=1 0 10\n");
  e = ErrorOf([&] {
    TaxTableStore s;
    s.SetTableFile(table);
    s.SelectSection("A");
    s.LoadSection();
  });
  EXPECT_EQ(e.number(), err::kPathFileAccess);
  EXPECT_NE(e.description().find(table), std::string::npos);
  WriteBytes(table, "[A]\nBracket1=1 0 10\n");
  EXPECT_EQ(Tax("A", "11"), Cur("1"));
}

TEST_F(TaxTableStoreTest, OverflowInALookupRaises6) {
  WriteBytes(table, "[A]\nBracket1=0 900000000000000 35\n");
  TaxTableStore s;
  s.SetTableFile(table);
  s.SelectSection("A");
  s.LoadSection();
  EXPECT_EQ(ErrorOf([&] { s.LookupTax(Cur("900000000000000")); }).number(), err::kOverflow);
}

// The tables a run starts with stay fixed: a table file is read on first use and kept, whatever
// happens on disk, until a save through this process replaces it. Files of other names are read
// afresh.
TEST_F(TaxTableStoreTest, ATableFileIsFixedForTheRun) {
  EXPECT_EQ(Tax("Zero floor", "100"), Cur("15"));
  WriteBytes(table, "[Zero floor]\nBracket1=0 0 25\n");
  EXPECT_EQ(Tax("Zero floor", "100"), Cur("15"));
  std::filesystem::remove(table);
  EXPECT_EQ(Tax("Zero floor", "100"), Cur("15"));
  KeyedDataFile f;
  f.SetFileName(table);
  f.WriteValue("Zero floor", "Bracket1", "0 0 5");
  EXPECT_EQ(Tax("Zero floor", "100"), Cur("5"));
  // The data-file component reads a table file from the same kept copy.
  WriteBytes(table, "[Zero floor]\nBracket1=0 0 7\n");
  KeyedDataFile r;
  r.SetFileName(table);
  EXPECT_EQ(r.ReadValue("Zero floor", "Bracket1", ""), "0 0 5");

  table = dir.File("rates.dat");
  WriteBytes(table, "[A]\nBracket1=0 0 10\n");
  EXPECT_EQ(Tax("A", "100"), Cur("10"));
  WriteBytes(table, "[A]\nBracket1=0 0 20\n");
  EXPECT_EQ(Tax("A", "100"), Cur("20"));
}

TEST_F(TaxTableStoreTest, KeptTableFilesAreBounded) {
  for (std::size_t i = 0; i < files::kMaxKeptFiles + 10; ++i) {
    std::string path = dir.File("t" + std::to_string(i) + ".tbl");
    WriteBytes(path, "[A]\nBracket1=0 0 " + std::to_string(i % 50) + "\n");
    ASSERT_EQ(Tax(path, "A", "100"), Cur(std::to_string(i % 50).c_str()));
    ASSERT_LE(files::KeptFileCount(), files::kMaxKeptFiles);
  }
  // Files beyond the bound are read on every use, and correctly.
  std::string last = dir.File("t" + std::to_string(files::kMaxKeptFiles + 9) + ".tbl");
  WriteBytes(last, "[A]\nBracket1=0 0 40\n");
  EXPECT_EQ(Tax(last, "A", "100"), Cur("40"));
}

}  // namespace
}  // namespace qel
