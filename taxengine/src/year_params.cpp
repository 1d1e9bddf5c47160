// The figures of each tax year, read from the year's table file "Ind<year>.tbl" in the library
// folder. The years are the files present; each file is read on its first use and kept.
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "calcs.h"
#include "qel/keyed_data_file.h"
#include "qel/text.h"
#include "qel/textnum.h"

namespace fennick {
namespace {

using qel::QelError;

constexpr std::string_view kSection = "Year";

// "Ind2005.tbl" -> 2005; 0 for any other name.
int YearOfFileName(std::string_view name) {
  constexpr std::string_view kPrefix = "Ind", kSuffix = ".tbl";
  if (name.size() != kPrefix.size() + 4 + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix)) {
    return 0;
  }
  int year = 0;
  for (char c : name.substr(kPrefix.size(), 4)) {
    if (c < '0' || c > '9') return 0;
    year = year * 10 + (c - '0');
  }
  return year;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
    if (j > i) words.push_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

// Reads the keys of the [Year] section of one file; every fault names the file and the key.
class FigureReader {
 public:
  explicit FigureReader(const std::string& path) : path_(path) { file_.SetFileName(path); }

  // The words of the key's value; a key that is missing is refused unless `optional`, when it
  // reads as "none".
  std::vector<std::string_view> Value(std::string_view key, bool optional = false) {
    constexpr std::string_view kAbsent = "\x01";
    asked_.insert(qel::FoldedAscii(key));
    text_ = file_.ReadValue(kSection, key, kAbsent);
    if (text_ == kAbsent) {
      if (!optional) Fail(key, "is missing");
      text_ = "none";
    }
    std::vector<std::string_view> words = Words(text_);
    if (words.empty()) Fail(key, "is empty");
    return words;
  }
  static bool IsNone(const std::vector<std::string_view>& words) {
    return words.size() == 1 && qel::EqualsIgnoreCase(words[0], "none");
  }

  Currency Number(std::string_view key, std::string_view word) {
    try {
      return qel::InvariantCurrency(word);
    } catch (const QelError&) {
      Fail(key, "has \"" + std::string(word) + "\" where a number belongs");
    }
  }
  Currency Amount(std::string_view key) { return One(key, Value(key)); }
  // From `least` to `most` numbers (`what` says how many, for the message), or as many shares.
  std::vector<Currency> Numbers(std::string_view key, std::size_t least, std::size_t most,
                                const char* what) {
    auto words = Value(key);
    if (words.size() < least || words.size() > most) Fail(key, std::string("needs ") + what);
    std::vector<Currency> numbers;
    for (std::string_view word : words) numbers.push_back(Number(key, word));
    return numbers;
  }
  std::vector<Currency> Shares(std::string_view key, std::size_t least, std::size_t most,
                               const char* what) {
    std::vector<Currency> shares = Numbers(key, least, most, what);
    for (Currency& share : shares) share = Percent(share);
    return shares;
  }
  Currency Share(std::string_view key) { return Percent(Amount(key)); }
  // An amount or share that is 0 when the file says "none" or has no such key.
  Currency OptionalAmount(std::string_view key) {
    auto words = Value(key, true);
    return IsNone(words) ? Currency() : One(key, words);
  }
  Currency OptionalShare(std::string_view key) { return Percent(OptionalAmount(key)); }

  // Five amounts, one per filing status 1 to 5; `present` tells whether the file gave them
  // ("none" or no key: all 0) when it is given.
  PerStatus Statuses(std::string_view key, bool* present = nullptr) {
    auto words = Value(key, present != nullptr);
    PerStatus amounts{};
    if (present) *present = !IsNone(words);
    if (present && !*present) return amounts;
    if (words.size() != amounts.size()) {
      Fail(key, "needs five amounts, one per filing status 1 to 5");
    }
    for (std::size_t i = 0; i < amounts.size(); ++i) amounts[i] = Number(key, words[i]);
    return amounts;
  }
  bool YesNo(std::string_view key) {
    auto words = Value(key);
    if (words.size() == 1 && qel::EqualsIgnoreCase(words[0], "yes")) return true;
    if (words.size() == 1 && qel::EqualsIgnoreCase(words[0], "no")) return false;
    Fail(key, "must be yes or no");
  }
  template <typename T>
  T Choice(std::string_view key, std::initializer_list<std::pair<std::string_view, T>> choices) {
    auto words = Value(key);
    std::string names;
    for (const auto& [name, value] : choices) {
      if (words.size() == 1 && qel::EqualsIgnoreCase(words[0], name)) return value;
      names += (names.empty() ? "" : ", ") + std::string(name);
    }
    Fail(key, "must be one of " + names);
  }
  int YearOr(std::string_view key, int year) {
    auto words = Value(key, true);
    if (IsNone(words)) return year;
    return static_cast<int>(One(key, words).Truncated().raw() / Currency::kScale);
  }

  // Refuses a key that no reading asked for: a misspelt name would otherwise leave its figure
  // silently at "none", and a figure the year's settings leave unused is as likely a slip.
  void RefuseUnread() {
    for (const std::string& key : file_.KeyNames(kSection)) {
      if (!asked_.contains(qel::FoldedAscii(key))) {
        Fail(key, "is not a figure of a tax year, or one that this year's settings use");
      }
    }
  }

  [[noreturn]] void Fail(std::string_view key, const std::string& why) {
    throw QelError(qel::err::kPathFileAccess, std::string(kErrorSource),
                   "The table file " + path_ + ", section [" + std::string(kSection) + "], key " +
                       std::string(key) + " " + why + ".");
  }

 private:
  Currency One(std::string_view key, const std::vector<std::string_view>& words) {
    if (words.size() != 1) Fail(key, "needs one number");
    return Number(key, words[0]);
  }
  static Currency Percent(Currency percent) { return Currency::FromRaw(percent.raw() / 100); }

  std::string path_;
  qel::KeyedDataFile file_;
  std::string text_;
  std::set<std::string> asked_;  // folded names
};

YearParams Read(int year, const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) {
    throw QelError(qel::err::kFileNotFound, std::string(kErrorSource), "File not found: " + path);
  }
  FigureReader r(path);
  YearParams p{};
  p.year = year;
  p.childCreditLabelYear = r.YearOr("ChildCreditProcedureYear", year);
  p.amtExemptionLabelYear = r.YearOr("MinimumTaxExemptionProcedureYear", year);

  p.stdDedBase = r.Statuses("StdDed");
  const auto perBox = r.Numbers("StdDedPerBox", 2, 2, "two amounts");
  p.stdDedAddSingle = perBox[0];
  p.stdDedAddOther = perBox[1];

  p.exemptionAmount = r.Amount("Exemption");
  p.exemptionPhaseOut =
      r.Choice<ExemptionPhaseOut>("ExemptionPhaseOut", {{"none", ExemptionPhaseOut::kNone},
                                                        {"full", ExemptionPhaseOut::kFull},
                                                        {"reduced", ExemptionPhaseOut::kReduced}});
  if (p.exemptionPhaseOut != ExemptionPhaseOut::kNone) {
    p.exemptionPhaseOutStart = r.Statuses("ExemptionPhaseOutStart");
  }
  if (p.exemptionPhaseOut == ExemptionPhaseOut::kReduced) {
    p.exemptionPhaseOutDivisor = r.Amount("ExemptionPhaseOutDivisor");
    if (p.exemptionPhaseOutDivisor <= Currency()) {
      r.Fail("ExemptionPhaseOutDivisor", "must be above 0");
    }
    p.exemptionNetPastEnd = r.Amount("ExemptionNetPastPhaseOut");
  }

  p.itemLimitation = r.Choice<ItemLimitation>("ItemizedLimitation",
                                              {{"none", ItemLimitation::kNone},
                                               {"3%", ItemLimitation::kThreePercent},
                                               {"2/37", ItemLimitation::kTwoThirtySevenths}});
  p.itemLimitationDivisor = Currency::FromUnits(1);
  if (p.itemLimitation != ItemLimitation::kNone) {
    p.itemLimitationStart = r.Statuses("ItemizedLimitationStart");
  }
  if (p.itemLimitation == ItemLimitation::kThreePercent) {
    Currency divisor = r.OptionalAmount("ItemizedLimitationDivisor");
    if (divisor < Currency()) r.Fail("ItemizedLimitationDivisor", "must be above 0");
    if (divisor > Currency()) p.itemLimitationDivisor = divisor;
  }

  p.medicalFloor = r.Share("MedicalFloor");
  p.medicalFloorOver65 = r.OptionalShare("MedicalFloorOver65");
  p.amtMedicalFloor = r.Share("MinimumTaxMedicalFloor");
  p.miscDeductions = r.YesNo("MiscellaneousDeductions");
  p.taxCap = r.Statuses("TaxCap", &p.hasTaxCap);
  if (p.hasTaxCap) {
    p.taxCapPhaseDownStart = r.Statuses("TaxCapPhaseDownStart", &p.hasTaxCapPhaseDown);
  }
  if (p.hasTaxCapPhaseDown) {
    p.taxCapPhaseDownRate = r.Share("TaxCapPhaseDownRate");
    p.taxCapFloor = r.Statuses("TaxCapFloor");
  }
  p.charityFloor = r.OptionalShare("CharityFloor");
  p.seniorDeduction = r.OptionalAmount("SeniorDeduction");
  if (p.seniorDeduction > Currency()) {
    p.seniorDeductionStart = r.Statuses("SeniorDeductionStart");
    p.seniorDeductionRate = r.Share("SeniorDeductionRate");
  }

  p.capGainWorksheet =
      r.Choice<CapGainWorksheet>("CapitalGainWorksheet", {{"standard", YearCalcs::GetSchedDTax},
                                                          {"2002", Calcs2002::GetSchedDTax2002},
                                                          {"2001", Calcs2001::GetSchedDTax2001}});
  p.dividendsAtCapGainRates = r.YesNo("DividendsAtCapitalGainRates");
  p.capGainLowerRate = r.Share("CapitalGainLowerRate");
  p.capGainBracketTop = r.Statuses("CapitalGainLowerRateTop");
  p.capGainTopRateFrom = r.Statuses("CapitalGainTopRateFrom", &p.hasCapGainTopRate);

  p.amtExemption = r.Statuses("MinimumTaxExemption");
  p.amtPhaseOutStart = r.Statuses("MinimumTaxPhaseOutStart");
  p.amtPhaseOutRate = r.Share("MinimumTaxPhaseOutRate");

  p.ssWageBase = r.Amount("SocialSecurityWageBase");
  auto rates = r.Shares("SelfEmploymentTaxRates", 2, 2, "two percents");
  p.seOasdiRate = rates[0];
  p.seMedicareRate = rates[1];
  rates = r.Shares("EmployeeTaxRates", 2, 2, "two percents");
  p.ficaOasdiRate = rates[0];
  p.ficaMedicareRate = rates[1];
  rates = r.Shares("SelfEmploymentTaxDeduction", 1, 2, "one percent, or two (of the two parts)");
  p.seTaxDedOasdiShare = rates[0];
  p.seTaxDedMedicareShare = rates.size() == 1 ? Currency() : rates[1];
  p.seHealthCutsSeEarnings = r.YesNo("HealthInsuranceReducesSelfEmployment");
  p.seMedInsPercent = r.Share("HealthInsuranceDeduction");
  p.addlMedicareRate = r.OptionalShare("AdditionalMedicareRate");
  if (p.addlMedicareRate > Currency()) {
    p.addlMedicareThreshold = r.Statuses("AdditionalMedicareThreshold");
  }

  p.childCreditPerChild = r.Amount("ChildCredit");
  p.creditPerOtherDependent = r.OptionalAmount("OtherDependentCredit");
  p.childCreditStart = r.Statuses("ChildCreditPhaseOutStart");
  p.childCreditIncrease = r.OptionalAmount("ChildCreditIncrease");
  if (p.childCreditIncrease > Currency()) {
    p.childCreditIncreaseStart = r.Statuses("ChildCreditIncreaseStart");
    p.childCreditIncreaseMaxReduction = r.Statuses("ChildCreditIncreaseMaxReduction");
  }

  p.iraMaxContribution = r.Amount("IraLimit");
  const auto ends = r.Numbers("IraRangeEnd", 4, 4, "four amounts");
  p.iraEndOther = ends[0];
  p.iraEndSeparate = ends[1];
  p.iraEndJointCovered = ends[2];
  p.iraEndJointOtherCovered = ends[3];
  p.iraWidthJointCovered = r.Amount("IraCoveredSpouseRangeWidth");
  if (p.iraWidthJointCovered <= Currency()) {
    r.Fail("IraCoveredSpouseRangeWidth", "must be above 0");
  }
  r.RefuseUnread();
  return p;
}

// One year's file, read on first use.
struct Slot {
  std::once_flag once;
  std::unique_ptr<const YearParams> params;
};

std::map<int, Slot>& Slots() {
  static std::map<int, Slot> slots = [] {
    std::map<int, Slot> found;
    for (int year : AvailableYears()) found[year];
    return found;
  }();
  return slots;
}

}  // namespace

const std::vector<int>& AvailableYears() {
  static const std::vector<int> years = [] {
    std::vector<int> list;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(CommonTaxCalcs::LibraryFolder(), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      int year = YearOfFileName(it->path().filename().string());
      std::error_code typeError;
      if (year != 0 && it->is_regular_file(typeError)) list.push_back(year);
    }
    std::sort(list.begin(), list.end());
    return list;
  }();
  return years;
}

const YearParams* ParamsFor(int year) {
  std::map<int, Slot>& slots = Slots();
  auto it = slots.upper_bound(year);
  if (it == slots.begin()) return nullptr;
  --it;
  Slot& slot = it->second;
  int fileYear = it->first;
  // A file that cannot be used is refused on every use, not only the first.
  std::call_once(slot.once, [&] {
    slot.params = std::make_unique<const YearParams>(
        Read(fileYear, CommonTaxCalcs::InLibraryFolder("Ind" + std::to_string(fileYear) + ".tbl")));
  });
  return slot.params.get();
}

int RateFileYear(int year) {
  const std::vector<int>& years = AvailableYears();
  if (years.empty()) return 2005;
  auto it = std::upper_bound(years.begin(), years.end(), year);
  return it == years.begin() ? years.front() : *(it - 1);
}

}  // namespace fennick
