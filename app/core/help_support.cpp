#include "core/help_support.h"

#include "core/errors.h"
#include "core/internal.h"
#include "core/main_mod.h"

namespace corvala::HelpSupport {

namespace {

constexpr const char* kMaker = "Quenford";
constexpr const char* kProgrammer = "Ellis V. Marrow";
constexpr const char* kStreet = "1200 Harrow Lane, Suite 4";
constexpr const char* kCityState = "Millbrook Falls, OR 97999";
constexpr const char* kPhone = "(555) 010-4477";
constexpr const char* kFax = "(555) 010-4478";
constexpr const char* kInfoUrl = "https://www.quenford.example/paystave";
constexpr const char* kSalesUrl = "https://shop.quenford.example";
constexpr const char* kEmail = "paystave@quenford.example";

}  // namespace

std::string HelpFilePath(const App& app) {
  return (app.programFolder / "manZOV.pdf").string();
}

void ShowPDFhelp(App& app) {
  Trap([&] { detail::Dlg(app).OpenDocument(HelpFilePath(app)); },
       [&](const qel::QelError& error) {
         ReportThroughReporter(app, error, "HelpSupport.ShowPDFhelp");
       });
}

AboutTexts GetAboutTexts(const App&) {
  AboutTexts t;
  t.caption = std::string("About ") + kProgramTitle;
  t.title = kProgramTitle;
  AppState versions;
  MainMod::BuildVersions(versions);
  t.version = "Version: " + versions.ProgramVersionFull;
  t.legalNotice = std::string("Copyright \u00A9 2005 ") + kMaker +
                  " Software Works. All rights reserved. This program is protected by "
                  "copyright law; unauthorised copying or distribution is prohibited.";
  t.programmer = std::string("Programmer: ") + kProgrammer;
  t.street = kStreet;
  t.cityState = kCityState;
  t.phone = std::string("Phone: ") + kPhone;
  t.fax = std::string("FAX: ") + kFax;
  t.infoUrl = std::string("Information: ") + kInfoUrl;
  t.salesUrl = std::string("Online Sales: ") + kSalesUrl;
  t.email = std::string("email: ") + kEmail;
  return t;
}

std::string FinalScreenText(std::int32_t elapsedSeconds) {
  std::int32_t s = elapsedSeconds;
  if (s < 0) s += 86400;  // the run went past midnight
  const std::int16_t totalMinutes = static_cast<std::int16_t>(s / 60);
  const std::int16_t hours = static_cast<std::int16_t>(totalMinutes / 60);
  const std::int16_t minutes = static_cast<std::int16_t>(totalMinutes - 60 * hours);
  const std::int16_t seconds = static_cast<std::int16_t>(s - 60 * totalMinutes);
  const std::string crlf = detail::kCrLf;

  std::string t = "You have spent ";
  if (hours < 1) {
    t += minutes == 1 ? std::string("1 minute") : std::to_string(minutes) + " minutes";
    if (seconds == 1) {
      t += ", and 1 second ";
    } else if (seconds >= 2) {
      t += ", and " + std::to_string(seconds) + " seconds ";
    } else {
      t += " ";
    }
  } else {
    t += hours == 1 ? std::string("1 hour") : std::to_string(hours) + " hours";
    if (minutes == 1) {
      t += ", and 1 minute ";
    } else if (minutes >= 2) {
      t += ", and " + std::to_string(minutes) + " minutes ";
    } else {
      t += " ";
    }
  }
  t += std::string("using ") + kMaker + "'s " + kProgramTitle + ". How long would your work " +
       "have taken " + "without it?" + crlf + crlf;

  t += std::string("To order more copies, or to reach ") + kMaker + ":" + crlf + crlf;
  const std::string indent = "     ";
  for (const std::string& line : {
           std::string(kMaker) + " Software Works",
           std::string(kStreet),
           std::string(kCityState),
           std::string("Phone: ") + kPhone,
           std::string("FAX: ") + kFax,
           std::string("Information: ") + kInfoUrl,
           std::string("Online Sales: ") + kSalesUrl,
           std::string("email: ") + kEmail,
       }) {
    t += indent + line + crlf;
  }
  return t;
}

std::string FinalScreenCaption() {
  return std::string(kMaker) + " " + kProgramTitle;
}

void ShowFinalScreen(App& app, std::int32_t elapsedSeconds) {
  detail::Dlg(app).ShowFinalScreen(FinalScreenCaption(), FinalScreenText(elapsedSeconds));
}

}  // namespace corvala::HelpSupport
