// Error messages, the error log, the closing screen and the about box texts.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/file_operations.h"
#include "core/help_support.h"
#include "test_app.h"

namespace corvala {
namespace {

using testing::EndsWith;
using testing::ReadFile;
using testing::TestApp;

TEST(ClosingScreen, TimeSpentSentences) {
  struct Row {
    std::int32_t seconds;
    const char* expected;
  };
  const Row rows[] = {
      {45, "You have spent 0 minutes, and 45 seconds using"},
      {1, "You have spent 0 minutes, and 1 second using"},
      {60, "You have spent 1 minute using"},
      {61, "You have spent 1 minute, and 1 second using"},
      {3725, "You have spent 1 hour, and 2 minutes using"},
      {3660, "You have spent 1 hour, and 1 minute using"},
      {7200, "You have spent 2 hours using"},
      {-30, "You have spent 23 hours, and 59 minutes using"},  // past midnight: 86370 s
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.seconds);
    std::string text = HelpSupport::FinalScreenText(r.seconds);
    EXPECT_EQ(text.rfind(r.expected, 0), 0u) << text;
  }
  EXPECT_EQ(HelpSupport::FinalScreenText(3725).rfind(
                "You have spent 1 hour, and 2 minutes using Quenford's Qel Paystave. How long "
                "would your work have taken without it?\r\n\r\n",
                0),
            0u);
}

TEST(ClosingScreen, ContactBlockLinesAreIndentedAndEnded) {
  std::string text = HelpSupport::FinalScreenText(10);
  std::size_t block = text.find("?\r\n\r\n");
  ASSERT_NE(block, std::string::npos);
  std::string rest = text.substr(block + 5);
  std::size_t heading = rest.find("\r\n\r\n");
  ASSERT_NE(heading, std::string::npos);
  std::string lines = rest.substr(heading + 4);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.substr(lines.size() - 2), "\r\n");
  std::size_t start = 0, pos;
  int count = 0;
  while ((pos = lines.find("\r\n", start)) != std::string::npos) {
    EXPECT_EQ(lines.substr(start, 5), "     ");
    EXPECT_NE(lines[start + 5], ' ');
    start = pos + 2;
    ++count;
  }
  EXPECT_GE(count, 5);
  EXPECT_EQ(HelpSupport::FinalScreenCaption(), "Quenford Qel Paystave");
}

TEST(AboutBox, TextsCarryTheirPrefixes) {
  TestApp t;
  HelpSupport::AboutTexts a = HelpSupport::GetAboutTexts(t.app);
  EXPECT_EQ(a.caption, "About Qel Paystave");
  EXPECT_EQ(a.version, "Version: ZOV2005.10.143");
  EXPECT_EQ(a.phone.rfind("Phone: ", 0), 0u);
  EXPECT_EQ(a.fax.rfind("FAX: ", 0), 0u);
  EXPECT_EQ(a.infoUrl.rfind("Information: ", 0), 0u);
  EXPECT_EQ(a.salesUrl.rfind("Online Sales: ", 0), 0u);
  EXPECT_EQ(a.email.rfind("email: ", 0), 0u);
  EXPECT_EQ(a.programmer.rfind("Programmer: ", 0), 0u);
  HelpSupport::ShowPDFhelp(t.app);
  ASSERT_EQ(t.dialogs.documents.size(), 1u);
  EXPECT_EQ(t.dialogs.documents[0], t.path("manZOV.pdf"));
}

TEST(FatalError, MessageAndSaveOffer) {
  EXPECT_EQ(FatalErrorMessage("Qel Paystave", 53, "OpenFile"),
            "An error has occurred in the Qel Paystave.\n\nError Number:   53\nError Type:        "
            "File not found\nLocation:           OpenFile\n\nDo you want to save your data "
            "before the program shuts down?");
  // A printer failure has a description of its own.
  EXPECT_NE(
      FatalErrorMessage("T", 482, "PrnManager2()").find("\nError Type:        Printer error\n"),
      std::string::npos);
  EXPECT_NE(FatalErrorMessage("T", 75, "OpenFile", "The data file /x.zov cannot be read.")
                .find("\nDetails:            The data file /x.zov cannot be read."),
            std::string::npos);

  // Yes: Save As first (cancelled here), then the closing screen and the end.
  TestApp t;
  t.dialogs.answers = {Answer::Yes};
  EXPECT_EQ(EndsWith([&] { ReportFatalError(t.app, 53, "OpenFile"); }), 0);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].buttons, Buttons::YesNo);
  EXPECT_EQ(t.dialogs.boxes[0].icon, Icon::Critical);
  EXPECT_EQ(t.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(t.dialogs.finalScreens.size(), 1u);
}

TEST(ErrorReporter, SilentFailureIsLoggedOnceWithItsTrail) {
  TestApp t;
  t.app.state.IsSilentRun = true;
  t.app.state.ErrorLogFile = t.path("ZOV_err.log");
  qel::QelError error(13, "WhBusObj.Calculate\rWhBusObj.CalcProforma", "Type mismatch");
  int status =
      EndsWith([&] { ReportThroughReporter(t.app, error, "WithholdingReports.ReportW2Proforma"); });
  EXPECT_EQ(status, 1);
  std::string log = ReadFile(t.path("ZOV_err.log"));
  EXPECT_NE(log.find("Qel Paystave ZOV2005.10.143\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  Error 13: Type mismatch\n"), std::string::npos) << log;
  EXPECT_NE(log.find("    WithholdingReports.ReportW2Proforma\n    WhBusObj.Calculate\n    "
                     "WhBusObj.CalcProforma\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("Error 13", log.find("Error 13") + 1), std::string::npos);  // one entry
  EXPECT_TRUE(t.dialogs.finalScreens.empty());
}

TEST(ErrorReporter, InteractiveAnswerDecidesSaving) {
  TestApp t;
  ErrorReporter reporter(t.app);
  t.dialogs.answers = {Answer::Yes, Answer::No};
  EXPECT_EQ(reporter.ShowError(5, "Invalid procedure call or argument", "MainMod.IsSilent",
                               "Qel Paystave"),
            kTrue);
  EXPECT_EQ(reporter.ShowOrLogError(5, "x", "IPSupport.ChkTab", kFalse, "", "Qel Paystave"),
            kFalse);
  reporter.NotifyError(10002, "This item needs to be a number.", "ControlExtend.TextChg",
                       "Qel Paystave");
  ASSERT_EQ(t.dialogs.boxes.size(), 3u);
  EXPECT_EQ(t.dialogs.boxes[2].buttons, Buttons::OK);
  EXPECT_NE(t.dialogs.boxes[2].text.find("ControlExtend.TextChg"), std::string::npos);
}

TEST(ErrorWarning, HiddenShowsNothing) {
  TestApp t;
  t.dialogs.warningAnswers = {1};
  EXPECT_EQ(ShowErrorWarning(t.app, "m", "SetNewFont", kTrue), kTrue);
  EXPECT_TRUE(t.dialogs.warnings.empty());
  EXPECT_EQ(ShowErrorWarning(t.app, "m", "SetNewFont", kFalse), 1);
  EXPECT_EQ(ShowErrorWarning(t.app, "m", "SetNewFont", kFalse), 0);
  EXPECT_EQ(t.dialogs.warnings.size(), 2u);
}

}  // namespace
}  // namespace corvala
