// The scenario objects: edit cycle, validation, names, flags and access by name.
#include <fstream>
#include <functional>

#include "qel/error.h"
#include "test_util.h"

namespace {

using namespace fennick_test;

long ErrorNumber(const std::function<void()>& action, std::string* source = nullptr,
                 std::string* description = nullptr) {
  try {
    action();
  } catch (const qel::QelError& e) {
    if (source) *source = e.source();
    if (description) *description = e.description();
    return e.number();
  }
  return 0;
}

TEST(EditCycle, InputsTakenOnlyWhileEditing) {
  auto top = fennick::CreateTop();
  auto inc = top->oInc();
  inc->Dividends("1000");
  EXPECT_EQ(inc->Dividends(), "0");
  EXPECT_FALSE(top->IsDirty());
  top->BeginEdit();
  inc->Dividends("1000");
  EXPECT_EQ(inc->Dividends(), "1,000");
  EXPECT_TRUE(top->IsDirty());
}

TEST(EditCycle, CancelOutsideAnEditRaises445) {
  auto top = fennick::CreateTop();
  EXPECT_EQ(ErrorNumber([&] { top->CancelEdit(); }), 445);
  top->BeginEdit();
  top->oTaxCr()->OtherCr("10");
  top->CancelEdit();
  EXPECT_FALSE(top->IsDirty());
  EXPECT_EQ(top->oTaxCr()->OtherCr(), "10");  // not rolled back
}

TEST(EditCycle, CalculatedFlagsFollowCalculateAndBeginEdit) {
  auto top = NewScenario(2005, 1);
  EXPECT_FALSE(top->IsCalculated());
  top->Calculate();
  EXPECT_TRUE(top->IsCalculated());
  EXPECT_TRUE(top->oOtherTaxes()->IsCalculated());
  top->BeginEdit();
  EXPECT_FALSE(top->IsCalculated());
  EXPECT_FALSE(top->oTaxCr()->IsCalculated());
}

TEST(EditCycle, StoringResultsNeverMarksDirty) {
  TempDir dir;
  auto top = NewScenario(2005, 1);
  Set(*top, {{"oInc.WageSp1", "40000"}, {"oInc.Sec1231Gains", "500"}});
  top->ApplyEdit(dir.File("a.scn"));
  ASSERT_FALSE(top->IsDirty());
  top->Calculate();
  EXPECT_FALSE(top->IsDirty());
  EXPECT_EQ(Amount(*top, "oInc.Sec1231Netted"), 500);
  EXPECT_EQ(Amount(*top, "TotalInc"), 40500);
}

TEST(EditCycle, EveryChangedSubObjectCountsAsDirty) {
  for (const char* name : {"oTaxCr.NumOfChildCrChildren", "oOtherTaxes.OtherTaxes", "oItem.SITPd",
                           "oAdj2Inc.OtherAdj2Inc"}) {
    auto top = fennick::CreateTop();
    top->BeginEdit();
    fennick::LetProperty(*top, name, "2");
    EXPECT_TRUE(top->IsDirty()) << name;
  }
}

TEST(Validation, NumbersAndNames) {
  auto top = fennick::CreateTop();
  top->BeginEdit();
  std::string source, description;
  EXPECT_EQ(ErrorNumber([&] { top->oInc()->Dividends("12a"); }, &source, &description), 10002);
  EXPECT_EQ(source.rfind("clsInc.LetDividends\r\n\r\n", 0), 0u) << source;
  EXPECT_EQ(description, "This item needs to be a number.");

  top->ScenarioDesc("Plan A");
  EXPECT_EQ(ErrorNumber([&] { top->ScenarioDesc(std::string(51, 'x')); }, nullptr, &description),
            10001);
  EXPECT_EQ(description, "Too many characters entered.");
  EXPECT_EQ(top->ScenarioDesc(), "Plan A" + std::string(44, ' '));
  top->ScenarioDesc(std::string(50, 'y'));  // exactly 50 is fine
  EXPECT_EQ(top->ScenarioDesc(), std::string(50, 'y'));

  EXPECT_EQ(ErrorNumber([&] { top->Dependents("99999"); }), 6);  // over a 16-bit count
  EXPECT_EQ(ErrorNumber([&] { top->TaxYear("twenty"); }), 13);
}

TEST(Validation, SettersThatActAtAnyTime) {
  auto top = fennick::CreateTop();
  auto inc = top->oInc();
  inc->AdjNetCG("1234");
  EXPECT_EQ(inc->AdjNetCG(), "1,234");
  inc->AdjNetCG("abc");
  EXPECT_EQ(inc->AdjNetCG(), "0");
  inc->Sec_1_h_1_B_Amount("500");
  EXPECT_EQ(inc->Sec_1_h_1_B_Amount(), "500");
  EXPECT_EQ(ErrorNumber([&] { inc->Sec_1_h_1_B_Amount("x"); }), 10002);
  top->oOtherTaxes()->FicaSp2("765.4");
  EXPECT_EQ(top->oOtherTaxes()->FicaSp2(), "765");
  EXPECT_FALSE(top->IsDirty());
}

TEST(Validation, TrailEndsWithTheInnermostOperation) {
  // The conversions that fail here report no source of their own.
  TempDir dir;
  std::string bad = dir.File("bad.scn");
  std::ofstream(bad) << "[Scenario1]\nFiling Status=two\n";
  struct {
    std::function<void(fennick::_iTop&)> action;
    const char* source;
  } rows[] = {
      {[](fennick::_iTop& t) { t.TaxYear("twenty"); }, "clsITaxTop.LetTaxYear"},
      {[](fennick::_iTop& t) { t.Dependents("99999"); }, "clsITaxTop.LetDependents"},
      {[&](fennick::_iTop& t) { t.Load(bad); }, "clsITaxTop.Load\rPersist.Fetch"},
  };
  for (const auto& row : rows) {
    auto top = fennick::CreateTop();
    top->BeginEdit();
    std::string source;
    EXPECT_NE(ErrorNumber([&] { row.action(*top); }, &source), 0) << row.source;
    EXPECT_EQ(source, row.source);
  }
}

TEST(Household, TaxpayerAndFilingStatusTexts) {
  auto top = fennick::CreateTop();
  top->BeginEdit();
  top->Spouse1("Ann");
  EXPECT_EQ(top->Taxpayer(), "Ann");  // spouse 2 never assigned
  top->Spouse2("");
  EXPECT_EQ(top->Taxpayer(), "Ann");
  top->Spouse2("Bob");
  EXPECT_EQ(top->Taxpayer(), "Ann & Bob");

  const char* texts[] = {"", "Single", "Joint", "Married Sep.", "Head of Hse.", ""};
  for (int status = 0; status <= 5; ++status) {
    top->FilingStatus(static_cast<fennick::eFilingStatus>(status));
    EXPECT_EQ(top->sFilingStatus(), texts[status]) << status;
  }
}

TEST(Household, DefaultsAndYear) {
  auto top = fennick::CreateTop();
  EXPECT_EQ(top->Version(), "2005.0");
  EXPECT_EQ(top->ColumnIdx(), 1);
  top->BeginEdit();
  top->TaxYear("");
  EXPECT_GE(std::stoi(top->TaxYear()), 2024);
  top->oTaxCr()->NumOfChildCrChildren("3");
  EXPECT_EQ(top->oTaxCr()->NumOfChildCrChildren(), "3");
}

TEST(ByName, UnknownAndReadOnlyNames) {
  auto top = fennick::CreateTop();
  EXPECT_EQ(ErrorNumber([&] { fennick::GetProperty(*top, "oInc.NoSuch"); }), 438);
  EXPECT_EQ(ErrorNumber([&] { fennick::LetProperty(*top, "TotalInc", "5"); }), 438);
  top->BeginEdit();
  fennick::LetProperty(*top, "OINC.dividends", "250");  // letter case ignored
  EXPECT_EQ(top->oInc()->Dividends(), "250");
  fennick::LetProperty(*top, "IsSp1Blind", "true");
  EXPECT_TRUE(top->IsSp1Blind());
  const auto& results = fennick::ResultPropertyNames();
  EXPECT_EQ(results.front(), "TotalInc");
  EXPECT_EQ(results.back(), "oAMT.MFSAddBack");
  for (const auto& name : results) EXPECT_NO_THROW(fennick::GetProperty(*top, name)) << name;
}

TEST(SubObjects, ReplacedSubObjectIsTheOneComputed) {
  auto top = NewScenario(2005, 1);
  auto income = fennick::CreateInc();
  top->oInc(income);
  top->BeginEdit();  // the new object joins the edit
  income->WageSp1("30000");
  top->Calculate();
  EXPECT_EQ(top->oInc(), income);
  EXPECT_EQ(Amount(*top, "TotalInc"), 30000);
  EXPECT_EQ(ErrorNumber([&] { top->oInc(nullptr); }), 5);
}

}  // namespace
