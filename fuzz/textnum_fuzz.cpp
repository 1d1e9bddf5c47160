// Text to number and format patterns on arbitrary text: a conversion raises 13 exactly when the
// text is not numeric, results agree with one another, and formatting never crashes.
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "qel/error.h"
#include "qel/format.h"
#include "qel/textnum.h"

namespace {

void Expect(bool ok) {
  if (!ok) std::abort();
}

// Runs a conversion; returns 0 on success or the error number.
template <typename F>
long Try(F&& body) {
  try {
    body();
    return 0;
  } catch (const qel::QelError& e) {
    return e.number();
  }
}

bool haveGerman = false;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  haveGerman = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  std::setlocale(LC_ALL, "C");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the locale; the rest is the text.
  bool german = haveGerman && (data[0] & 1) != 0;
  std::setlocale(LC_ALL, german ? "de_DE.UTF-8" : "C");
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  const bool numeric = qel::IsNumeric(text);
  qel::Currency cur;
  double dbl = 0;
  std::int16_t i16 = 0;
  std::int32_t i32 = 0;
  long eCur = Try([&] { cur = qel::ToCurrency(text); });
  long eDbl = Try([&] { dbl = qel::ToDouble(text); });
  long e16 = Try([&] { i16 = qel::ToInt16(text); });
  long e32 = Try([&] { i32 = qel::ToInt32(text); });
  long eBool = Try([&] { (void)qel::ToBool(text); });
  for (long e : {eCur, eDbl, e16, e32}) {
    if (numeric)
      Expect(e == 0 || e == qel::err::kOverflow);
    else
      Expect(e == qel::err::kTypeMismatch);
  }
  if (numeric) Expect(eBool == 0);
  if (eBool == 0 && !numeric) {
    // Only the words True and False are booleans that are not numbers.
    Expect(text.find_first_of("tTfF") != std::string::npos);
  }
  // A value that fits a narrower type fits the wider ones, and they agree.
  if (e16 == 0) Expect(e32 == 0 && i32 == i16);
  if (e32 == 0 && eCur == 0) Expect(std::fabs(cur.ToDouble() - i32) <= 0.5);
  if (eCur == 0 && eDbl == 0)
    Expect(std::fabs(cur.ToDouble() - dbl) <= 0.00005 + 1e-12 * std::fabs(dbl));
  if (eCur == 0) {
    // The plain text of an amount is numeric again and converts back to the same amount.
    std::string plain = cur.ToPlainText();
    Expect(qel::IsNumeric(plain));
    Expect(qel::ToCurrency(plain) == cur);
  }

  for (const char* pattern :
       {"###,##0.00", "##0", "##,###,##0", "#0", "0.00%", "$###,##0", "mm/dd/yyyy"}) {
    std::string out = qel::FormatText(text, pattern);
    if (!numeric && std::string(pattern) != "mm/dd/yyyy") Expect(out == text);
    if (numeric && std::string(pattern) == "###,##0.00") {
      // The formatted amount is numeric text again, within half a cent of the value.
      Expect(qel::IsNumeric(out));
      qel::Currency back;
      if (eCur == 0 && Try([&] { back = qel::ToCurrency(out); }) == 0)
        Expect(std::llabs((back - cur).raw()) <= 50);
    }
  }
  double serial = 0;
  if (qel::ParseDate(text, serial)) {
    std::string formatted = qel::FormatDate(serial);
    double again = -1;
    Expect(qel::ParseDate(formatted, again) && again == serial);
  }
  std::setlocale(LC_ALL, "C");
  return 0;
}
