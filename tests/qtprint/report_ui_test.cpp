// The Qt report side as the user meets it: the report choice dialog, report windows, the run
// order for screen and printer, the print preview.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <iterator>

#include "core/reports.h"
#include "headless/headless.h"
#include "qtprint/dlg_rpt_choices.h"
#include "qtprint/frm_report_form.h"
#include "qtprint/qt_printer.h"
#include "qtprint/qt_report_ui.h"
#include "qtprint_test_support.h"
#include "report_case.h"

namespace corvala {
namespace {

using qtprint_test::TempFolder;
using qtprint_test::WhenModal;

template <typename T>
T* Child(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QCheckBox* Box(QWidget* dialog, const char* name) {
  return Child<QCheckBox>(dialog, name);
}

void Click(QWidget* dialog, const char* button) {
  QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

void Trigger(FrmReportForm* window, const char* key) {
  QAction* action = window->findChild<QAction*>(QString::fromUtf8(key));
  ASSERT_NE(action, nullptr) << key;
  action->trigger();
}

void DeleteClosedWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

// --- dlgRptChoices ----------------------------------------------------------------------------

TEST(ReportChoiceDialog, LayoutCaptionsAndInitialBoxes) {
  DlgRptChoices dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Report Choices"));
  EXPECT_EQ(Child<QGroupBox>(&dialog, "fraReports")->title(),
            QStringLiteral("Check Desired Reports"));
  const std::pair<const char*, const char*> boxes[] = {
      {"chkRptInput", "Input Report"},
      {"chkW2Proforma", "W-2 Proforma Report"},
      {"chkTargeted", "Targeted Withholding Rpt"},
      {"chkPercentMethod", "Percentage Method Calc."},
  };
  for (const auto& [name, caption] : boxes) {
    EXPECT_EQ(Box(&dialog, name)->text(), QString::fromUtf8(caption)) << name;
  }
  EXPECT_EQ(Child<QPushButton>(&dialog, "btnOK")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Child<QPushButton>(&dialog, "btnCancel")->text(), QStringLiteral("Cancel"));

  QString title;
  bool inputChecked = false, w2Checked = true, targetedChecked = false, percentChecked = true;
  QPoint centreOffset;
  WhenModal([&](QWidget* modal) {
    title = modal->windowTitle();
    inputChecked = Box(modal, "chkRptInput")->isChecked();
    w2Checked = Box(modal, "chkW2Proforma")->isChecked();
    targetedChecked = Box(modal, "chkTargeted")->isChecked();
    percentChecked = Box(modal, "chkPercentMethod")->isChecked();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    centreOffset = modal->geometry().center() - screen.center();
    Click(modal, "btnCancel");
  });
  // Only a flag of 1 ticks its box.
  dialog.Ask("Select Reports (Print)", ReportChecks{1, 0, -1, 2});
  EXPECT_EQ(title, QStringLiteral("Select Reports (Print)"));
  EXPECT_TRUE(inputChecked);
  EXPECT_FALSE(w2Checked);
  EXPECT_FALSE(targetedChecked);
  EXPECT_FALSE(percentChecked);
  EXPECT_LE(std::abs(centreOffset.x()), 1);
  EXPECT_LE(std::abs(centreOffset.y()), 1);
}

TEST(ReportChoiceDialog, OkCancelEscapeAndWindowClose) {
  struct Row {
    const char* what;
    std::function<void(QWidget*)> act;
    ReportChoiceOutcome outcome;
    ReportChecks checks;
  };
  const Row rows[] = {
      {"OK after ticking",
       [](QWidget* d) {
         QTest::mouseClick(Box(d, "chkTargeted"), Qt::LeftButton);
         QTest::mouseClick(Box(d, "chkRptInput"), Qt::LeftButton);
         Click(d, "btnOK");
       },
       ReportChoiceOutcome::Ok, ReportChecks{0, 1, 1, 0}},
      {"OK with the boxes as they were", [](QWidget* d) { Click(d, "btnOK"); },
       ReportChoiceOutcome::Ok, ReportChecks{1, 1, 0, 0}},
      {"Cancel after ticking",
       [](QWidget* d) {
         QTest::mouseClick(Box(d, "chkPercentMethod"), Qt::LeftButton);
         Click(d, "btnCancel");
       },
       ReportChoiceOutcome::Cancelled, ReportChecks{}},
      {"Escape", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); },
       ReportChoiceOutcome::Cancelled, ReportChecks{}},
      {"window closed", [](QWidget* d) { d->close(); }, ReportChoiceOutcome::Closed,
       ReportChecks{}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DlgRptChoices dialog;
    WhenModal(row.act);
    const ReportChoiceResult result = dialog.Ask("Select Reports (View)", ReportChecks{1, 1, 0, 0});
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(result.checks, row.checks);
  }
}

// --- the report run with the Qt report side ---------------------------------------------------

class QtReports : public ::testing::Test {
 protected:
  QtReports() : ui(session.app, nullptr) {}
  void SetUp() override {
    session.app.platform.reports = &ui;
    session.app.platform.preferences = &preferencesFile;
    ui.SetHeadlessPdf((folder / "run.pdf").string(), 1);
  }
  void TearDown() override {
    for (FrmReportForm* window : ui.OpenWindows()) window->close();
    DeleteClosedWindows();
  }

  // Runs the report run for `destination`, answering the choice dialog with `act`.
  void Run(std::int16_t destination, std::function<void(QWidget*)> act) {
    WhenModal(std::move(act));
    Reports::RunReports(session.app, destination);
  }

  // A value as the preferences file holds it, read by a store of its own.
  std::string Pref(const char* key) {
    headless::KeyedFileSettings file(IniPath());
    return file.Read("User Preferences", key, "(absent)");
  }
  std::string IniPath() const { return (folder / "Corvala.ini").string(); }
  std::string IniText() const {
    std::ifstream in(IniPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder folder;
  qtprint_test::ReportCase session{nullptr};
  QtReportUi ui;
  headless::KeyedFileSettings preferencesFile{IniPath()};
};

std::function<void(QWidget*)> Tick(std::vector<const char*> boxes, const char* button) {
  return [boxes, button](QWidget* dialog) {
    for (const char* name : boxes) Box(dialog, name)->setChecked(true);
    Click(dialog, button);
  };
}

TEST_F(QtReports, ChoiceDialogOkCancelAndCloseAndTheRememberedChoice) {
  // OK: the four boxes become the flags and all six keys are written.
  Run(kToScreen, Tick({"chkRptInput", "chkTargeted"}, "btnOK"));
  const char* keys[] = {"Input Report",
                        "Summary Report",
                        "Detailed Report",
                        "W-2 Proforma Report",
                        "Targeted Withholding Report",
                        "Percentage Method Report"};
  const char* afterOk[] = {"1", "0", "0", "0", "1", "0"};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(Pref(keys[i]), afterOk[i]) << keys[i];
  EXPECT_EQ(ui.OpenWindows().size(), 2u);
  for (FrmReportForm* window : ui.OpenWindows()) window->close();
  DeleteClosedWindows();

  // Cancel: nothing this run, and the remembered choice stays as it was.
  const std::string fileAfterOk = IniText();
  EXPECT_NE(fileAfterOk.find("Targeted Withholding Report"), std::string::npos);
  QString caption;
  bool inputTicked = false;
  Run(kToScreen, [&](QWidget* dialog) {
    caption = dialog->windowTitle();
    inputTicked = Box(dialog, "chkRptInput")->isChecked();
    Box(dialog, "chkPercentMethod")->setChecked(true);
    Click(dialog, "btnCancel");
  });
  EXPECT_EQ(caption, QStringLiteral("Select Reports (View)"));
  EXPECT_TRUE(inputTicked);
  EXPECT_TRUE(ui.OpenWindows().empty());
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(Pref(keys[i]), afterOk[i]) << keys[i];
  EXPECT_EQ(IniText(), fileAfterOk);

  // Closing the window changes no flag: the remembered reports run.
  Run(kToScreen, [](QWidget* dialog) {
    Box(dialog, "chkPercentMethod")->setChecked(true);
    dialog->close();
  });
  EXPECT_EQ(ui.OpenWindows().size(), 2u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(Pref(keys[i]), afterOk[i]) << keys[i];
}

TEST_F(QtReports, ScreenOrderOpensTheInputsWindowLastOneWindowPerReport) {
  session.Object().enumComputationType(ostrand::targeted);
  Run(kToScreen,
      Tick({"chkRptInput", "chkW2Proforma", "chkTargeted", "chkPercentMethod"}, "btnOK"));
  // Two computation reports do not match the case's computation: two warnings, no window.
  ASSERT_EQ(session.dialogs.boxes.size(), 2u);
  EXPECT_EQ(session.dialogs.boxes[0].text, Reports::MismatchWarning(ostrand::proforma));
  EXPECT_EQ(session.dialogs.boxes[1].text, Reports::MismatchWarning(ostrand::Percent));
  const std::vector<FrmReportForm*> windows = ui.OpenWindows();
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0]->windowTitle(),
            QStringLiteral("Targeted Withholding Report - /home/ann/ann-example.zov"));
  EXPECT_EQ(windows[1]->windowTitle(), QStringLiteral("Inputs Report"));
  for (FrmReportForm* window : windows) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(window->Text().find("Ann Example"), std::string::npos);
    EXPECT_EQ(window->TextBox()->toPlainText().toStdString().find('\r'), std::string::npos);
  }
}

TEST_F(QtReports, PrinterOrderPrintsTheInputsReportFirst) {
  session.Object().enumComputationType(ostrand::Percent);
  Run(kToPrinter, Tick({"chkRptInput", "chkPercentMethod"}, "btnOK"));
  ASSERT_EQ(ui.TheQtPrinter().FinishedJobs(), 1);
  const auto pages = qtprint_test::PdfPages(folder / "run.pdf", 6.0);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_GE(qtprint_test::LineOf(pages[0], "Inputs - Paystave"), 0);
  EXPECT_GE(qtprint_test::LineOf(pages[1], "Percentage Method Report - 2005 Tables"), 0);
}

// --- frmReportForm ----------------------------------------------------------------------------

TEST_F(QtReports, ReportWindowIsReadOnlyButSelectable) {
  ReportWindow* window = ui.NewReportWindow();
  window->SetCaption("Inputs Report");
  window->SetText("     Ann Example\r\n");
  window->AppendText("     line two \xE2\x80\x94\r\n");
  window->Show();
  auto* form = ui.OpenWindows().at(0);
  QPlainTextEdit* box = form->TextBox();
  EXPECT_EQ(box->objectName(), QStringLiteral("txtReport"));
  EXPECT_TRUE(QFontInfo(box->font()).fixedPitch());
  EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  const QString shown = box->toPlainText();
  EXPECT_EQ(shown, QString::fromUtf8("     Ann Example\n     line two \u2014\n"));

  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  box->setFocus();
  QTest::keyClicks(box, "typed");
  for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Space}) {
    QTest::keyClick(box, key);
  }
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(box->toPlainText(), shown);
  EXPECT_EQ(window->Text(), "     Ann Example\r\n     line two \xE2\x80\x94\r\n");

  // Selecting with the keyboard still works.
  QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(box->textCursor().selectedText(), QStringLiteral("     Ann Example"));
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(box->textCursor().selectedText().size(), shown.size());
}

TEST_F(QtReports, ReportWindowKeepsItsOpeningSizeAsMinimumAndTheTextBoxFills) {
  ReportWindow* window = ui.NewReportWindow();
  window->SetCaption("Inputs Report");
  window->Show();
  FrmReportForm* form = ui.OpenWindows().at(0);
  const QSize opening = form->OpeningSize();
  EXPECT_EQ(form->size(), opening);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_LE(std::abs((form->geometry().center() - screen.center()).x()), 1);

  struct Row {
    QSize asked;
    QSize expected;
  };
  const Row rows[] = {
      {QSize(100, 80), opening},
      {QSize(opening.width() - 1, opening.height() + 40), opening + QSize(0, 40)},
      {opening + QSize(120, 60), opening + QSize(120, 60)},
      {QSize(opening.width() + 30, 10), opening + QSize(30, 0)},
  };
  for (const Row& row : rows) {
    form->resize(row.asked);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), row.expected) << row.asked.width() << "x" << row.asked.height();
    const QRect box = form->TextBox()->geometry();
    EXPECT_EQ(box.width(), form->width());
    EXPECT_EQ(box.height(), form->height() - form->Toolbar()->height());
    EXPECT_EQ(box.top(), form->Toolbar()->geometry().bottom() + 1);
  }
}

TEST_F(QtReports, ReportWindowButtonsExitAndPrint) {
  ReportWindow* window = ui.NewReportWindow();
  window->SetCaption("Targeted Withholding Report - /home/ann/ann-example.zov");
  window->Show();
  QPointer<FrmReportForm> form = ui.OpenWindows().at(0);
  QToolBar* bar = form->Toolbar();
  EXPECT_EQ(bar->objectName(), QStringLiteral("tbToolbar"));
  QStringList texts;
  for (QAction* action : bar->actions()) texts << action->objectName() + "=" + action->text();
  EXPECT_EQ(texts, QStringList({"print=&Print", "exit=E&xit", "preview=Pre&view"}));

  // "print" runs the report run to the printer: the choice dialog, then the printed reports.
  QString caption;
  WhenModal([&](QWidget* dialog) {
    caption = dialog->windowTitle();
    Box(dialog, "chkTargeted")->setChecked(true);
    Click(dialog, "btnOK");
  });
  Trigger(form, "print");
  EXPECT_EQ(caption, QStringLiteral("Select Reports (Print)"));
  EXPECT_EQ(ui.TheQtPrinter().FinishedJobs(), 1);
  EXPECT_TRUE(std::filesystem::exists(folder / "run.pdf"));

  Trigger(form, "exit");
  DeleteClosedWindows();
  EXPECT_TRUE(form.isNull());
  EXPECT_TRUE(ui.OpenWindows().empty());
}

// The window closes from the keyboard: Escape, the platform's Close key and Exit's access key.
TEST_F(QtReports, ReportWindowClosesFromTheKeyboard) {
  const QKeySequence keys[] = {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close),
                               QKeySequence(Qt::ALT | Qt::Key_X)};
  for (const QKeySequence& key : keys) {
    SCOPED_TRACE(key.toString().toStdString());
    ReportWindow* window = ui.NewReportWindow();
    window->SetCaption("Inputs Report - /home/ann/ann-example.zov");
    window->Show();
    QPointer<FrmReportForm> form = ui.OpenWindows().at(0);
    QApplication::setActiveWindow(form);
    form->findChild<QPlainTextEdit*>("txtReport")->setFocus();
    QTest::keySequence(form, key);
    // An access key presses its button with a short animation first.
    for (int wait = 0; wait < 100 && !form.isNull(); ++wait) {
      QTest::qWait(10);
      DeleteClosedWindows();
    }
    EXPECT_TRUE(form.isNull());
  }
}

// --- print preview ----------------------------------------------------------------------------

TEST_F(QtReports, PreviewPaginatesLikePrinting) {
  session.Object().enumComputationType(ostrand::targeted);
  QPrinter& device = ui.TheQtPrinter().Device();
  const long lineHeight = qtprint_test::RoundedLineHeight(QFont("Courier New", 10), device);
  qtprint_test::SetPageForLines(device, 59, lineHeight);

  // The same report printed, and painted as the preview paints it.
  Run(kToPrinter, Tick({"chkTargeted"}, "btnOK"));
  ASSERT_EQ(ui.TheQtPrinter().FinishedJobs(), 1);
  QPrinter painted(QPrinter::HighResolution);
  painted.setOutputFormat(QPrinter::PdfFormat);
  painted.setOutputFileName(QString::fromStdString((folder / "painted.pdf").string()));
  painted.setPageLayout(device.pageLayout());
  ui.PaintReport(Reports::ReportOf(ostrand::targeted), &painted);

  EXPECT_EQ(qtprint_test::PdfPageCount(folder / "painted.pdf"), 2);
  EXPECT_EQ(qtprint_test::PdfText(folder / "painted.pdf", 6.0),
            qtprint_test::PdfText(folder / "run.pdf", 6.0));
  // The preview's job is not one of the PDF session's jobs.
  EXPECT_EQ(ui.TheQtPrinter().FinishedJobs(), 1);
}

TEST_F(QtReports, PreviewButtonOpensThePreviewOfThatReport) {
  session.Object().enumComputationType(ostrand::targeted);
  ReportWindow* window = ui.NewReportWindow();
  window->SetCaption("Targeted Withholding Report - /home/ann/ann-example.zov");
  window->Show();
  FrmReportForm* form = ui.OpenWindows().at(0);
  EXPECT_EQ(form->Kind(), Reports::ReportOf(ostrand::targeted));
  int pages = -1;
  QString title;
  WhenModal([&](QWidget* dialog) {
    title = dialog->windowTitle();
    if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) pages = preview->pageCount();
    dialog->close();
  });
  Trigger(form, "preview");
  EXPECT_EQ(title, QStringLiteral("Print Preview"));
  EXPECT_GE(pages, 1);

  // A window whose report is not known has no preview.
  ReportWindow* other = ui.NewReportWindow();
  other->SetCaption("Something else");
  EXPECT_FALSE(ui.OpenWindows().at(1)->findChild<QAction*>("preview")->isEnabled());
}

}  // namespace
}  // namespace corvala

namespace corvala {
namespace {

// --- copies and fonts -------------------------------------------------------------------------

TEST(QtDialogs, PrintDialogGivesCopiesAndLeavesTheJobsToTheProgram) {
  qtprint_test::ReportCase session(nullptr);
  QtReportUi ui(session.app, nullptr);

  QString title;
  QAbstractPrintDialog::PrintDialogOptions options;
  QStringList rangeChoices;  // page-range controls a person could reach
  WhenModal([&](QWidget* modal) {
    title = modal->windowTitle();
    if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) options = dialog->options();
    auto* copiesTab = modal->findChild<QWidget*>(QStringLiteral("copiesTab"));
    for (const char* name : {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit",
                             "printCurrentPage", "printSelection"}) {
      auto* control = modal->findChild<QWidget*>(QString::fromLatin1(name));
      if (control != nullptr && copiesTab != nullptr && control->isVisibleTo(copiesTab)) {
        rangeChoices << control->objectName();
      }
    }
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(ui.AskCopies("Print Reports"), 0);
  EXPECT_EQ(title, QStringLiteral("Print Reports"));
  EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintPageRange));
  EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintSelection));
  EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
  EXPECT_TRUE(rangeChoices.isEmpty()) << rangeChoices.join(' ').toStdString();

  WhenModal([&](QWidget* modal) {
    auto* copies = modal->findChild<QSpinBox*>(QStringLiteral("copies"));
    ASSERT_NE(copies, nullptr);
    copies->setValue(3);
    qobject_cast<QDialog*>(modal)->accept();
  });
  EXPECT_EQ(ui.AskCopies("Print Reports"), 3);
  // The program prints each copy itself, so the printer makes one of each job.
  EXPECT_EQ(ui.TheQtPrinter().Device().copyCount(), 1);
}

TEST(QtDialogs, FontDialogOffersOnlyFixedPitchFontsTheReportsCanUse) {
  qtprint_test::ReportCase session(nullptr);
  QtReportUi ui(session.app, nullptr);
  FontRequest request;
  request.name = "DejaVu Sans Mono";
  request.size = 12;

  QStringList offered;
  QString preselected;
  WhenModal([&](QWidget* modal) {
    auto* list = modal->findChild<QListWidget*>("lstFontName");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) offered << list->item(i)->text();
    preselected = list->currentItem() ? list->currentItem()->text() : QString();
    qobject_cast<QDialog*>(modal)->reject();
  });
  EXPECT_FALSE(ui.AskFont(request).has_value());
  EXPECT_EQ(preselected, QStringLiteral("DejaVu Sans Mono"));
  ASSERT_FALSE(offered.isEmpty());
  for (const QString& family : offered) {
    SCOPED_TRACE(family.toStdString());
    EXPECT_TRUE(QFontInfo(QFont(family)).fixedPitch());
  }
  for (const char* proportional : {"DejaVu Sans", "Liberation Serif", "Sans Serif"}) {
    EXPECT_FALSE(offered.contains(QString::fromLatin1(proportional))) << proportional;
  }

  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<DlgFonts*>(modal);
    ASSERT_NE(dialog, nullptr);
    const QList<QListWidgetItem*> items =
        dialog->lstFontName->findItems(QStringLiteral("Liberation Mono"), Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty());
    dialog->lstFontName->setCurrentItem(items.front());
    dialog->spnFontSize->setValue(9);
    dialog->accept();
  });
  const std::optional<FontChoice> chosen = ui.AskFont(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->name, "Liberation Mono");
  EXPECT_FLOAT_EQ(chosen->size, 9.0F);
}

// OK without a change keeps a font the printer takes: a stored name that is not installed as
// such comes back as the installed fixed-pitch font it maps to, so printing warns no more.
TEST(QtDialogs, FontDialogOkWithoutAChangeKeepsAUsableFont) {
  qtprint_test::ReportCase session(nullptr);
  QtReportUi ui(session.app, nullptr);
  for (const char* stored : {"Courier New", "Courier", "No Such Font Anywhere"}) {
    SCOPED_TRACE(stored);
    FontRequest request;
    request.name = stored;
    request.size = 10;
    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    const std::optional<FontChoice> chosen = ui.AskFont(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_NE(chosen->name, "Sans Serif");
    EXPECT_NO_THROW(ui.ThePrinter().SetFontName(chosen->name));
    const QString mapped = QFontInfo(QFont(QString::fromLatin1(stored))).family();
    if (QtPrinter::Usable(QFont(mapped))) {
      EXPECT_EQ(QString::fromStdString(chosen->name), mapped);
    }
  }
}

}  // namespace
}  // namespace corvala
