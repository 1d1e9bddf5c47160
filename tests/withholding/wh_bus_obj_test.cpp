// The business object: initial values, getter formats, dirty rules, state record, by-name access.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ostrand/wh_bus_obj.h"
#include "qel/error.h"
#include "test_support.h"
#include "wh_bus_obj_impl.h"

namespace {

using ostrand::WhBusObj;
using ostrand_test::CatchError;

// The record's bytes, rebuilt from the state string (299 little-endian units).
std::vector<std::uint8_t> StateBytes(WhBusObj& o) {
  const std::u16string units = o.GetState();
  std::vector<std::uint8_t> bytes;
  for (char16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

template <typename T>
T At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));  // the test host is little-endian
  return value;
}

std::u16string Slot(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t units) {
  std::u16string text;
  for (std::size_t i = 0; i < units; ++i) {
    text += static_cast<char16_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
  }
  return text;
}

TEST(WhBusObjFresh, ReadsInitialValuesThroughEveryGetter) {
  WhBusObj o;
  const struct {
    const char* name;
    const char* expected;
  } rows[] = {
      {"sAllowanceDeductionPercent", "0.00"},
      {"sWHPercentMethod", "0.00"},
      {"sSubject2WH", "0.00"},
      {"sAllowanceAmt", "0.00"},
      {"sWagesPercent", "0.00"},
      {"sPerYrWHProforma", "0.00"},
      {"sPeriodsPerYrProforma", "0"},
      {"sTotPayckWHProforma", "0.00"},
      {"sWagesPerPayckProforma", "0.00"},
      {"sWages4Yr", "0.00"},
      {"sShortage4Yr", "0.00"},
      {"sComputedWH4Yr", "0.00"},
      {"sTargetedWH4Yr", "0.00"},
      {"sTotPayckWHTargeted", "0.00"},
      {"sWagesPerPayckTargeted", "0.00"},
      {"sFromAllowancesWHPerPayck", "0.00"},
      {"sRemainingPeriods", "0"},
      {"sRemainingWages", "0.00"},
      {"sTable", ""},
      {"sAdditionalPayckWH", "0.00"},
      {"sAllowancesIP", "0"},
      {"IsSingle", "False"},
      {"IsCalculated", "False"},
      {"sYear", " 2005"},
      {"sTaxpayer", ""},
      {"Line2", ""},
      {"Version", "ZOV2005.10"},
      {"IsNew", "True"},
      {"IsDirty", "False"},
      {"enumFrequency", "0"},
      {"enumComputationType", "0"},
      {"EmptyProp", ""},
      {"sName", ""},
      {"GetCompType", "W-2 Proforma"},
      {"sMaritalStatus", "Married"},
      {"sGetPeriods4FullYr", "52"},
      {"DiscountRate", "0.00%"},
      {"CurYr", "0"},
      {"CurCost", "$0"},
      {"Birthdate", "12/30/1899"},
      {"sTaxYear", "2005"},
      {"enumW4Form", "0"},
      {"enumW4Status", "0"},
      {"IsStep2Checked", "False"},
      {"sStep3Credits", "0.00"},
      {"sStep4aOtherIncome", "0.00"},
      {"sStep4bDeductions", "0.00"},
      {"sTableUsed", ""},
      {"sWksLine1b", "0"},
      {"sWksLine2d", "0.00%"},
      {"sWksLine4b", "0.00"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ostrand::GetProperty(o, row.name), row.expected) << row.name;
  }
  EXPECT_FALSE(o.IsEditing());
  EXPECT_EQ(o.GetState(), std::u16string(299, u'\0'));
}

TEST(WhBusObjFormats, GettersFormatTheStoredTextOnEveryRead) {
  const struct {
    const char* property;
    const char* stored;
    const char* read;
  } rows[] = {
      {"sAllowancesIP", "2.5", "3"},  // halves away from zero
      {"sAllowancesIP", "3.5", "4"},
      {"sAllowancesIP", "-2.5", "-3"},
      {"sRemainingPeriods", "1,234", "1234"},
      {"sWagesPercent", "1,000", "1,000.00"},
      {"sWagesPercent", "n/a", "n/a"},
      {"sWagesPercent", "", ""},
      {"sWages4Yr", "1234.5", "1,234.50"},
      {"sWages4Yr", "0.005", "0.01"},
      {"sWages4Yr", "1234567.125", "1,234,567.13"},
      {"sAdditionalPayckWH", "-1234.565", "-1,234.57"},
      {"sWHPercentMethod", "98.765", "98.77"},
      {"sPeriodsPerYrProforma", "INVALID FREQUENCY", "INVALID FREQUENCY"},
      {"Line2", "Apt 4   ", "Apt 4"},
      {"sTaxpayer", " Jo Smith  ", " Jo Smith  "},
      {"sYear", "2006 ", "2006 "},
      {"sTable", "1,000", "1,000"},
      {"sTaxYear", " 2026.0 ", "2026"},
      {"sTaxYear", "next", "next"},
      {"sStep3Credits", "2000", "2,000.00"},
      {"sStep4aOtherIncome", "0.125", "0.13"},
      {"sStep4bDeductions", "1,234.5", "1,234.50"},
  };
  for (const auto& row : rows) {
    WhBusObj o;
    ostrand::LetProperty(o, row.property, row.stored);
    EXPECT_EQ(ostrand::GetProperty(o, row.property), row.read)
        << row.property << " = \"" << row.stored << "\"";
  }
}

TEST(WhBusObjDirty, SettersMarkDirtyAsTheDataFileRequires) {
  const struct {
    const char* property;
    const char* value;
    bool dirtyOutsideEdit;
    bool dirtyInsideEdit;
  } rows[] = {
      {"sWages4Yr", "52000", false, true},
      {"sWagesPercent", "1", false, true},
      {"sTargetedWH4Yr", "1", false, true},
      {"sRemainingPeriods", "1", false, true},
      {"sRemainingWages", "1", false, true},
      {"sAllowancesIP", "1", false, true},
      {"IsSingle", "True", false, true},
      {"enumComputationType", "1", false, true},
      {"enumFrequency", "3", false, true},       // stored in the data file
      {"sAdditionalPayckWH", "5", false, true},  // stored in the data file
      {"sTaxpayer", "Jo", true, true},
      {"Line2", "x", true, true},
      {"sTable", "x", false, false},
      {"sYear", "2006", false, false},
      {"IsCalculated", "True", false, false},
      {"sWHPercentMethod", "1", false, false},
      {"sPerYrWHProforma", "1", false, false},
      {"sShortage4Yr", "1", false, false},
      {"sName", "Jo", false, false},
      {"Version", "ZOV2004.1", false, true},
      {"EmptyProp", "x", false, true},
      {"DiscountRate", "5%", false, true},
      {"CurYr", "2004", false, true},
      {"CurCost", "100", false, true},
      {"Birthdate", "1/2/1970", false, true},
      {"Birthdate", "not a date", false, true},
      {"sTaxYear", "2026", false, true},
      {"enumW4Form", "1", false, true},
      {"enumW4Status", "2", false, true},
      {"IsStep2Checked", "True", false, true},
      {"sStep3Credits", "1", false, true},
      {"sStep4aOtherIncome", "1", false, true},
      {"sStep4bDeductions", "1", false, true},
  };
  for (const auto& row : rows) {
    WhBusObj outside;
    ostrand::LetProperty(outside, row.property, row.value);
    EXPECT_EQ(outside.IsDirty(), row.dirtyOutsideEdit) << row.property << " outside an edit";

    WhBusObj inside;
    inside.BeginEdit();
    ostrand::LetProperty(inside, row.property, row.value);
    EXPECT_EQ(inside.IsDirty(), row.dirtyInsideEdit) << row.property << " inside an edit";
  }
}

TEST(WhBusObjDirty, ReadingGettersNeverMarksDirty) {
  WhBusObj o;
  o.BeginEdit();
  for (const char* name : {"sAllowanceAmt", "sWages4Yr", "sAllowancesIP", "Version", "DiscountRate",
                           "Birthdate", "EmptyProp", "enumFrequency", "sName", "CurCost"}) {
    ostrand::GetProperty(o, name);
  }
  EXPECT_FALSE(o.IsDirty());
}

TEST(WhBusObjEditCycle, BeginEditClearsCalculatedButKeepsDirty) {
  WhBusObj o;
  o.sTaxpayer("Jo");
  o.IsCalculated("True");
  o.BeginEdit();
  EXPECT_TRUE(o.IsEditing());
  EXPECT_TRUE(o.IsDirty());
  EXPECT_EQ(o.IsCalculated(), "False");
}

TEST(WhBusObjPlain, NamesOfComputationFrequencyAndStatus) {
  WhBusObj o;
  const std::pair<int, const char*> compTypes[] = {{0, "W-2 Proforma"},
                                                   {1, "Targeted Withholding"},
                                                   {2, "Percentage Method"},
                                                   {3, "INVALID COMPUTATION TYPE"},
                                                   {-1, "INVALID COMPUTATION TYPE"}};
  for (const auto& [value, name] : compTypes) {
    o.enumComputationType(static_cast<ostrand::eComputationType>(value));
    EXPECT_EQ(o.GetCompType(), name) << value;
  }
  const struct {
    int value;
    const char* name;
    const char* periods;
  } frequencies[] = {{0, "Weekly", "52"},
                     {1, "Biweekly", "26"},
                     {2, "Semimonthly", "24"},
                     {3, "Monthly", "12"},
                     {4, "Annually", "1"},
                     {7, "INVALID FREQUENCY", "INVALID FREQUENCY"},
                     {-2, "INVALID FREQUENCY", "INVALID FREQUENCY"}};
  for (const auto& row : frequencies) {
    const auto f = static_cast<ostrand::eFrequency>(row.value);
    EXPECT_EQ(o.GetFrequency(f), row.name) << row.value;
    o.enumFrequency(f);
    EXPECT_EQ(o.sGetPeriods4FullYr(), row.periods) << row.value;
  }
  // GetFrequency names its argument, not the stored frequency.
  o.enumFrequency(ostrand::monthly);
  EXPECT_EQ(o.GetFrequency(ostrand::weekly), "Weekly");

  o.IsSingle(true);
  EXPECT_EQ(o.sMaritalStatus(), "Unmarried");
  o.IsSingle(false);
  EXPECT_EQ(o.sMaritalStatus(), "Married");
}

TEST(WhBusObjPlain, FrequencyMinusOneReadsBackAsWeekly) {
  WhBusObj o;
  o.enumFrequency(static_cast<ostrand::eFrequency>(-1));
  EXPECT_EQ(o.enumFrequency(), ostrand::weekly);
  EXPECT_EQ(o.sGetPeriods4FullYr(), "52");  // the getter stored the replacement
}

TEST(WhBusObjPlain, IsCalculatedTakesBooleanText) {
  const std::pair<const char*, const char*> rows[] = {{"True", "True"},   {"tRUE", "True"},
                                                      {"false", "False"}, {"-1", "True"},
                                                      {"0", "False"},     {"2.5", "True"}};
  for (const auto& [text, read] : rows) {
    WhBusObj o;
    o.IsCalculated(text);
    EXPECT_EQ(o.IsCalculated(), read) << text;
  }
  WhBusObj o;
  o.IsCalculated("True");
  EXPECT_EQ(CatchError([&] { o.IsCalculated("maybe"); }).number(), 13);
  EXPECT_EQ(o.IsCalculated(), "True");
}

TEST(WhBusObjStateRecord, VersionAlwaysReadsTheLibraryVersion) {
  WhBusObj o;
  o.Version("ZOV1999.1");
  EXPECT_EQ(o.Version(), "ZOV2005.10");
  EXPECT_EQ(StateBytes(o), std::vector<std::uint8_t>(598, 0)) << "set outside an edit";

  o.BeginEdit();
  o.Version("ZOV2005.10           ");  // as the program pads it, 21 characters
  EXPECT_EQ(o.Version(), "ZOV2005.10");
  EXPECT_EQ(Slot(StateBytes(o), 0, 20), u"ZOV2005.10          ");

  o.Version("ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // cut to the 20-unit slot
  EXPECT_EQ(Slot(StateBytes(o), 0, 20), u"ABCDEFGHIJKLMNOPQRST");
}

TEST(WhBusObjStateRecord, RecordMembersActOnlyWhileEditing) {
  WhBusObj o;
  o.DiscountRate("5%");
  o.CurYr("2004");
  o.CurCost("1234");
  o.Birthdate("3/15/1970");
  o.EmptyProp("x");
  EXPECT_EQ(o.DiscountRate(), "0.00%");
  EXPECT_EQ(o.CurYr(), "0");
  EXPECT_EQ(o.CurCost(), "$0");
  EXPECT_EQ(o.Birthdate(), "12/30/1899");
  EXPECT_FALSE(o.IsDirty());
  EXPECT_EQ(StateBytes(o), std::vector<std::uint8_t>(598, 0));
}

TEST(WhBusObjStateRecord, RecordMembersStoreAtTheirOffsets) {
  WhBusObj o;
  o.BeginEdit();
  o.DiscountRate("5%");
  o.CurYr("2004.5");  // halves to even
  o.CurCost("1,234,567.5");
  o.Birthdate("3/15/1970");
  o.EmptyProp("Note");

  EXPECT_EQ(o.DiscountRate(), "5.00%");
  EXPECT_EQ(o.CurYr(), "2004");
  EXPECT_EQ(o.CurCost(), "$1,234,568");
  EXPECT_EQ(o.Birthdate(), "03/15/1970");
  EXPECT_EQ(o.EmptyProp(), "");  // the getter never reads the slot

  const auto bytes = StateBytes(o);
  EXPECT_EQ(At<float>(bytes, 352), 0.05f);
  EXPECT_EQ(At<std::int16_t>(bytes, 372), 2004);
  EXPECT_EQ(At<std::int64_t>(bytes, 328), 12345675000LL);
  // 15 March 1970: 25,642 days after 30 December 1899 (70 years of 365 days, 17 leap days
  // from 1904 to 1968, then 31 + 28 + 14 days, plus 1 + 1 for 30 and 31 December 1899).
  EXPECT_EQ(At<double>(bytes, 240), 70 * 365 + 17 + 31 + 28 + 14 + 2);
  EXPECT_EQ(Slot(bytes, 384, 40), u"Note" + std::u16string(36, u' '));
  o.CurYr("2003.5");
  EXPECT_EQ(o.CurYr(), "2004");
}

TEST(WhBusObjStateRecord, InvalidBirthdateMarksDirtyButKeepsTheDate) {
  WhBusObj o;
  o.BeginEdit();
  o.Birthdate("3/15/1970");
  o.Birthdate("2/30/1970");
  EXPECT_EQ(o.Birthdate(), "03/15/1970");
}

TEST(WhBusObjStateRecord, RecordSettersRefuseNonNumbersWithTheirTrail) {
  const struct {
    const char* property;
    const char* value;
    long number;
    const char* label;
  } rows[] = {
      {"DiscountRate", "five", 10002, "WhBusObj.DiscountRate\r"},
      {"DiscountRate", "%", 10002, "WhBusObj.DiscountRate\r"},
      // 10^41 percent: a fraction beyond the single-precision range.
      {"DiscountRate", "100000000000000000000000000000000000000000%", 6, "WhBusObj.DiscountRate\r"},
      {"CurYr", "soon", 10002, "WhBusObj.CurYr\r"},
      {"CurYr", "40000", 6, "WhBusObj.CurYr"},
      {"CurCost", "", 10002, "WhBusObj.CurCost\r"},
  };
  for (const auto& row : rows) {
    WhBusObj o;
    o.BeginEdit();
    const auto before = o.GetState();
    const qel::QelError e = CatchError([&] { ostrand::LetProperty(o, row.property, row.value); });
    EXPECT_EQ(e.number(), row.number) << row.property << " = " << row.value;
    EXPECT_EQ(e.source().rfind(row.label, 0), 0u) << e.source();
    EXPECT_EQ(e.description(), "Qel Paystave withholding engine");
    EXPECT_EQ(o.GetState(), before);
    EXPECT_FALSE(o.IsDirty());
  }
}

TEST(WhBusObjStateRecord, SetStatePadsCutsAndRoundTrips) {
  WhBusObj o;
  o.SetState(u"abc");
  EXPECT_EQ(o.GetState(), u"abc" + std::u16string(296, u' '));

  std::u16string all;
  for (int i = 0; i < 299; ++i) all += static_cast<char16_t>(i * 251 + 7);  // every byte varies
  all[5] = u'\0';
  all[6] = 0xD800;  // a lone surrogate travels unchanged
  o.SetState(all);
  EXPECT_EQ(o.GetState(), all);

  o.SetState(all + u"beyond the record");
  EXPECT_EQ(o.GetState(), all);
}

TEST(WhBusObjStateRecord, SettersLeaveReservedBytesUntouched) {
  std::u16string pattern;
  for (int i = 0; i < 299; ++i) pattern += static_cast<char16_t>(0xA55A ^ i);
  WhBusObj o;
  o.SetState(pattern);
  const auto before = StateBytes(o);
  o.BeginEdit();
  o.Version("V");
  o.DiscountRate("7.5");
  o.CurYr("1999");
  o.CurCost("10");
  o.Birthdate("2000-01-01");
  o.EmptyProp("E");
  const auto after = StateBytes(o);
  auto inside = [](std::size_t i) {
    return i < 40 || (i >= 240 && i < 248) || (i >= 328 && i < 336) || (i >= 352 && i < 356) ||
           (i >= 372 && i < 374) || (i >= 384 && i < 464);
  };
  for (std::size_t i = 0; i < 598; ++i) {
    if (!inside(i)) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(Slot(after, 40, 50), Slot(before, 40, 50)) << "name slot";
}

TEST(WhBusObjStateRecord, NameComesFromTheRecord) {
  WhBusObj o;
  std::u16string state(299, u' ');
  state.replace(20, 9, u"Jo Smith\u00e9");  // the name slot starts at byte 40, unit 20
  o.SetState(state);
  EXPECT_EQ(o.sName(), "Jo Smith\xc3\xa9");
  o.sName("Ann");
  EXPECT_EQ(o.sName(), "Ann");
  EXPECT_FALSE(o.IsDirty());
}

TEST(WhBusObjByName, NamesIgnoreCaseAndReachTheSameMembers) {
  WhBusObj o;
  ostrand::LetProperty(o, "SWAGES4YR", "52000");
  EXPECT_EQ(o.sWages4Yr(), "52,000.00");
  ostrand::LetProperty(o, "enumfrequency", "3");
  EXPECT_EQ(o.enumFrequency(), ostrand::monthly);
  ostrand::LetProperty(o, "IsSingle", "true");
  EXPECT_TRUE(o.IsSingle());
  EXPECT_EQ(ostrand::GetProperty(o, "issingle"), "True");
  EXPECT_EQ(CatchError([&] { ostrand::LetProperty(o, "enumFrequency", "often"); }).number(), 13);
}

TEST(WhBusObjByName, UnknownOrReadOnlyNamesRaise438) {
  WhBusObj o;
  EXPECT_EQ(CatchError([&] { ostrand::GetProperty(o, "sWages4Year"); }).number(), 438);
  EXPECT_EQ(CatchError([&] { ostrand::LetProperty(o, "nothing", "1"); }).number(), 438);
  EXPECT_EQ(CatchError([&] { ostrand::LetProperty(o, "IsDirty", "True"); }).number(), 438);
  EXPECT_EQ(CatchError([&] { ostrand::LetProperty(o, "sTableUsed", "x"); }).number(), 438);
  EXPECT_EQ(CatchError([&] { ostrand::LetProperty(o, "sWksLine2h", "1"); }).number(), 438);
  EXPECT_EQ(CatchError([&] { ostrand::GetProperty(o, ""); }).number(), 438);
  EXPECT_FALSE(o.IsDirty());
}

TEST(WhBusObjFactory, CreatesByClassIdentifierOnly) {
  auto upper = ostrand::CreateObject("{B8114578-02F6-4F9F-9024-6C278F082011}");
  ASSERT_NE(upper, nullptr);
  EXPECT_TRUE(upper->IsNew());
  auto lower = ostrand::CreateObject("{b8114578-02f6-4f9f-9024-6c278f082011}");
  ASSERT_NE(lower, nullptr);
  EXPECT_NE(upper.get(), lower.get());
  for (const char* id :
       {"B8114578-02F6-4F9F-9024-6C278F082011", "", "{8B5CBC58-E0DE-4A9A-958D-A30E0B8DED57}",
        "{B8114578-02F6-4F9F-9024-6C278F082011} "}) {
    EXPECT_EQ(CatchError([&] { ostrand::CreateObject(id); }).number(), 429) << id;
  }
}

}  // namespace
