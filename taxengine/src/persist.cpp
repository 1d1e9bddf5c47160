// Saving and loading the inputs of one scenario: section "Scenario" + ColumnIdx of a keyed data
// file, one key per input. Results are not stored; Calculate recomputes them.
#include <filesystem>

#include "calcs.h"
#include "qel/keyed_data_file.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace fennick::Persist {
namespace {

using qel::QelError;

struct Field {
  const char* key;
  const char* defaultValue;
  std::string (*get)(iTop&);
  void (*let)(iTop&, const std::string&);
};

#define TOP_TEXT(Prop) \
  [](iTop& t) { return t.Prop(); }, [](iTop& t, const std::string& v) { t.Prop(v); }
#define TOP_BOOL(Prop)                             \
  [](iTop& t) { return qel::BoolText(t.Prop()); }, \
      [](iTop& t, const std::string& v) { t.Prop(qel::ToBool(v)); }
#define SUB_TEXT(Sub, Prop) \
  [](iTop& t) { return t.Sub()->Prop(); }, [](iTop& t, const std::string& v) { t.Sub()->Prop(v); }
#define SUB_BOOL(Sub, Prop)                               \
  [](iTop& t) { return qel::BoolText(t.Sub()->Prop()); }, \
      [](iTop& t, const std::string& v) { t.Sub()->Prop(qel::ToBool(v)); }

const Field kFields[] = {
    {"Version", "", [](iTop& t) { return t.Version(); }, [](iTop&, const std::string&) {}},
    {"Spouse 1", "", TOP_TEXT(Spouse1)},
    {"Spouse 2", "", TOP_TEXT(Spouse2)},
    {"Scenario Description", "", TOP_TEXT(ScenarioDesc)},
    {"Year", "2005", TOP_TEXT(TaxYear)},
    {"Spouse 1 Over 65", "False", TOP_BOOL(IsSp1Over65)},
    {"Spouse 1 Blind", "False", TOP_BOOL(IsSp1Blind)},
    {"Spouse 2 Over 65", "False", TOP_BOOL(IsSp2Over65)},
    {"Spouse 2 Blind", "False", TOP_BOOL(IsSp2Blind)},
    {"Dependents", "1", TOP_TEXT(Dependents)},
    {"Is Dependent", "False", TOP_BOOL(IsDependent)},
    {"Filing Status", "2",
     [](iTop& t) { return std::to_string(static_cast<int>(t.FilingStatus())); },
     [](iTop& t, const std::string& v) {
       t.FilingStatus(static_cast<eFilingStatus>(qel::ToInt32(v)));
     }},
    {"Total Payments", "0", TOP_TEXT(TotPmts)},
    {"Long Term Cap Gain", "0", SUB_TEXT(oInc, LTCG)},
    {"Long Term Cap Loss Carryover", "0", SUB_TEXT(oInc, LTCLCarryOver)},
    {"Dividends", "0", SUB_TEXT(oInc, Dividends)},
    {"Short Term Cap Gain", "0", SUB_TEXT(oInc, STCG)},
    {"Short Term Cap Carryover", "0", SUB_TEXT(oInc, STCLCarryOver)},
    {"Other Non SE Inc", "0", SUB_TEXT(oInc, OtherNonSEInc)},
    {"Sec 1231 Gains", "0", SUB_TEXT(oInc, Sec1231Gains)},
    {"Sec 1231 Losses", "0", SUB_TEXT(oInc, Sec1231Losses)},
    {"SE Inc Spouse 1", "0", SUB_TEXT(oInc, SEIncSp1)},
    {"SE Inc Spouse 2", "0", SUB_TEXT(oInc, SEIncSp2)},
    {"Wages Spouse 1", "0", SUB_TEXT(oInc, WageSp1)},
    {"Wages Spouse 2", "0", SUB_TEXT(oInc, WageSp2)},
    {"IRA Contrib Spouse 1", "0", SUB_TEXT(oAdj2Inc, IRAContribSP1)},
    {"In Retirement Plan Spouse 1", "False", SUB_BOOL(oAdj2Inc, IsSp1InRetPlan)},
    {"IRA Contrib Spouse 2", "0", SUB_TEXT(oAdj2Inc, IRAContribSP2)},
    {"In Retirement Plan Spouse 2", "False", SUB_BOOL(oAdj2Inc, IsSp2InRetPlan)},
    {"Other Adj To Income", "0", SUB_TEXT(oAdj2Inc, OtherAdj2Inc)},
    {"SE Med Ins Pmts", "0", SUB_TEXT(oAdj2Inc, SEMedInsPmts)},
    {"Casualty Loss Ded", "0", SUB_TEXT(oItem, CasualtyDed)},
    {"Charitable Ded", "0", SUB_TEXT(oItem, CharDed)},
    {"Mort Amt Ded", "0", SUB_TEXT(oItem, HomeMortIntAmt)},
    {"Mort Non Amt Ded", "0", SUB_TEXT(oItem, HomeMortIntReg)},
    {"Investment Interest Ded", "0", SUB_TEXT(oItem, InvIntDed)},
    {"Med Pmts", "0", SUB_TEXT(oItem, MedPmts)},
    {"Misc Ded Pmts", "0", SUB_TEXT(oItem, MiscDedPmts)},
    {"Other Int Deductions", "0", SUB_TEXT(oItem, OtherIntDed)},
    {"Other Taxes Pd", "0", SUB_TEXT(oItem, OtherTaxes)},
    {"SIT Pd", "0", SUB_TEXT(oItem, SITPd)},
    {"Other Taxes", "0", SUB_TEXT(oOtherTaxes, OtherTaxes)},
    {"Number of children", "0", SUB_TEXT(oTaxCr, NumOfChildCrChildren)},
    {"Other credits", "0", SUB_TEXT(oTaxCr, OtherCr)},
};

std::string SectionName(std::int32_t column) {
  return "Scenario" + std::to_string(column);
}

void RequireName(std::string_view path) {
  if (path.empty()) {
    throw QelError(qel::err::kNeedsFilename, "Fennick", "Need to specify a filename.");
  }
}

}  // namespace

void Save(std::string_view path, iTop& top) {
  Keep("Persist.Save", [&] {
    RequireName(path);
    qel::KeyedDataFile file;
    file.SetFileName(path);
    std::string section = SectionName(top.columnIdx);
    // One atomic replacement of the file: a save is all or nothing.
    file.BeginUpdate();
    for (const Field& field : kFields) file.WriteValue(section, field.key, field.get(top));
    file.CommitUpdate();
  });
}

void Fetch(std::string_view path, iTop& top) {
  Keep("Persist.Fetch", [&] {
    RequireName(path);
    // Only a regular file is read: a folder, pipe or device could block the read or never end.
    std::error_code ec;
    auto status = std::filesystem::status(std::filesystem::path(path), ec);
    if (!std::filesystem::exists(status)) {
      throw QelError(qel::err::kFileNotFound, "Fennick", "File not found: " + std::string(path));
    }
    if (!std::filesystem::is_regular_file(status)) {
      throw QelError(qel::err::kPathFileAccess, "Fennick",
                     "Not a scenario file (a folder, pipe or device): " + std::string(path));
    }
    qel::KeyedDataFile file;
    file.SetFileName(path);
    std::string section = SectionName(top.columnIdx);
    for (const Field& field : kFields) {
      field.let(top, file.ReadValue(section, field.key, field.defaultValue));
    }
  });
}

}  // namespace fennick::Persist

namespace fennick {

bool ScenarioExists(std::string_view path, std::int32_t column) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return false;
  qel::KeyedDataFile file;
  file.SetFileName(path);
  std::string section = "Scenario" + std::to_string(column);
  constexpr std::string_view kAbsent = "\x01";
  for (const auto& field : Persist::kFields) {
    if (file.ReadValue(section, field.key, kAbsent) != kAbsent) return true;
  }
  return false;
}

}  // namespace fennick
