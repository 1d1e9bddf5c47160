// HelpSupport: the help document, the about box texts and the closing screen.
#pragma once

#include <cstdint>
#include <string>

#include "core/app.h"

namespace corvala::HelpSupport {

// The help document "manZOV.pdf" in the program folder.
std::string HelpFilePath(const App& app);
// Opens the help document with the desktop's default viewer.
void ShowPDFhelp(App& app);

struct AboutTexts {
  std::string caption;  // "About Qel Paystave"
  std::string title;    // "Qel Paystave"
  std::string version;  // "Version: ZOV2005.10.143"
  std::string legalNotice;
  std::string programmer, street, cityState, phone, fax, infoUrl, salesUrl, email;
};
AboutTexts GetAboutTexts(const App& app);

// The whole closing-screen text for a run of `elapsedSeconds` (a negative value, a run across
// midnight, counts a day more), including the ordering and contact block.
std::string FinalScreenText(std::int32_t elapsedSeconds);
std::string FinalScreenCaption();  // "Quenford Qel Paystave"
void ShowFinalScreen(App& app, std::int32_t elapsedSeconds);

}  // namespace corvala::HelpSupport
