// The input form driven as a user would: typing, leaving fields, lists, check boxes, OK, Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <map>

#include "core/file_operations.h"
#include "ostrand/wh_bus_obj.h"
#include "qt/frm_ip.h"
#include "qt/qt_platform.h"
#include "qt/small_forms.h"
#include "test_support.h"

namespace corvala::test {
namespace {

class InputForm : public ::testing::Test {
 protected:
  void SetUp() override {
    program.app.state.CurrentFile = program.Path("case.zov");
    form = std::make_unique<frmIP>(program.app);
    form->LoadFromObject();
    form->show();
    Pump();
  }

  ostrand::_WhBusObj& Object() { return *program.app.state.withholding; }
  template <typename T>
  T* Find(const char* name) {
    T* widget = form->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Shows the tab the control is on.
  void GoToTabOf(QWidget* control) {
    while (control && form->vsTabIP->indexOf(control) < 0) control = control->parentWidget();
    form->vsTabIP->setCurrentWidget(control);
  }
  // Whether the control would be seen on its tab: neither it nor a box around it is hidden.
  bool Shown(QWidget* control) {
    for (; control && form->vsTabIP->indexOf(control) < 0; control = control->parentWidget()) {
      if (control->isHidden()) return false;
    }
    return true;
  }
  // Goes to the list's tab, enters it and chooses the item with that text.
  void Choose(const char* name, const QString& item) {
    auto* list = Find<QComboBox>(name);
    GoToTabOf(list);
    FocusOn(list);
    ASSERT_GE(list->findText(item), 0) << item.toStdString();
    list->setCurrentIndex(list->findText(item));
  }
  // Goes to the control's tab, enters it, types `text` over its contents and leaves it.
  void TypeInto(const char* name, const QString& text) {
    auto* box = Find<QLineEdit>(name);
    GoToTabOf(box);
    FocusOn(box);
    box->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(box, Qt::Key_Delete);
    } else {
      QTest::keyClicks(box, text);
    }
  }
  void Leave() { FocusOn(form->btnCancel); }

  TestProgram program;
  std::unique_ptr<frmIP> form;
};

TEST_F(InputForm, LoneMinusWritesNothingAndTheDigitsAfterItWriteTheWholeText) {
  Object().sWages4Yr("52000");
  TypeInto("txtAnnualWages", "-");
  EXPECT_EQ(Object().sWages4Yr(), "52,000.00");
  EXPECT_TRUE(program.app.state.DataSaved) << "a lone minus sign is no change yet";
  QTest::keyClicks(form->txtAnnualWages, "12");
  EXPECT_EQ(Object().sWages4Yr(), "-12.00");
  EXPECT_FALSE(program.app.state.DataSaved);
}

TEST_F(InputForm, LeavingAFieldShowsTheFormattedValueAndRecomputesTheResult) {
  EXPECT_EQ(form->lblAnnualWHProforma->text(), "0.00");
  TypeInto("txtAnnualWages", "31200");
  EXPECT_EQ(form->txtAnnualWages->text(), "31200") << "not re-read while typing";
  Leave();
  EXPECT_EQ(form->txtAnnualWages->text(), "31,200.00");
  // Weekly, married, no allowances: 31,200 / 52 = 600.00; married weekly table over 435:
  // 28.10 + 15% of 165.00 = 52.85 a pay check; 52.85 x 52 = 2,748.20.
  EXPECT_EQ(form->lblAnnualWHProforma->text(), "2,748.20");
  // The computation hands its wages per pay check to the percentage method: that tab shows them.
  EXPECT_EQ(form->txtWagesPercent->text(), "600.00");
  EXPECT_FALSE(program.app.state.DataSaved);
}

struct Case {
  const char* title;
  int computation;
  std::vector<std::pair<const char*, const char*>> typed;
  const char* frequencyList;
  int frequency;
  const char* unmarried;
  const char* resultLabel;
  const char* expected;
};

TEST_F(InputForm, EachTabShowsItsComputationsResult) {
  const Case cases[] = {
      // 600 - 2 x 61.54 = 476.92; single weekly over 188: 13.70 + 15% x 288.92 = 57.04.
      {"percentage",
       2,
       {{"txtWagesPercent", "600"}, {"txtAllowancesPercent", "2"}},
       "lstFreqPercent",
       0,
       "chkUnmarriedPercent",
       "lblWHPercentMethod",
       "57.04"},
      // 600 - 61.54 = 538.46; married weekly over 435: 28.10 + 15% x 103.46 = 43.62;
      // + 5.00 = 48.62; x 52 = 2,528.24.
      {"proforma",
       0,
       {{"txtAnnualWages", "31200"},
        {"txtAllowancesProforma", "1"},
        {"txtAddWagePerChkProforma", "5"}},
       "lstFreqProforma",
       0,
       nullptr,
       "lblAnnualWHProforma",
       "2,528.24"},
      // 26,000 / 20 = 1,300.00; - 123.08 = 1,176.92; single biweekly over 377:
      // 27.50 + 15% x 799.92 = 147.49; x 20 = 2,949.80; 3,000 - 2,949.80 = 50.20.
      {"targeted",
       1,
       {{"txtWages4RestOfYrTargeted", "26000"},
        {"txtPayPerLeftTargeted", "20"},
        {"txtTargWH4RestOfYrTargeted", "3000"},
        {"txtAllowancesTargeted", "1"}},
       "lstFreqTargeted",
       1,
       "chkUnmarriedTargeted",
       "lblWHShort",
       "50.20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    form->lstComputationChoice->setCurrentRow(c.computation);
    auto* list = Find<QListWidget>(c.frequencyList);
    GoToTabOf(list);
    list->setCurrentRow(c.frequency);
    if (c.unmarried) {
      auto* box = Find<QCheckBox>(c.unmarried);
      FocusOn(box);
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    for (const auto& [name, text] : c.typed) TypeInto(name, text);
    Leave();
    EXPECT_EQ(Find<QLabel>(c.resultLabel)->text().toStdString(), c.expected);
    EXPECT_TRUE(program.dialogs.boxes.empty()) << program.dialogs.boxes.front().text;
    // Start the next case from scratch.
    program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    form->LoadFromObject();
  }
}

// What each tab shows is the result of the inputs beside it: on opening a case, after a mouse
// click on a frequency, while typing (the field not yet left), after a change of the tax year or
// of the kind of Form W-4.
TEST_F(InputForm, TheResultIsAlwaysThatOfTheInputsShown) {
  enum Action { Open, Click, Type, Pick };
  struct Row {
    const char* example;
    Action action;
    const char* control;  // the list clicked, the box typed into, the drop-down list picked from
    const char* value;    // the item clicked or picked, the text typed
    const char* result;   // the result label read
    const char* expected;
  };
  const Row rows[] = {
      // 58,500 / 26 = 2,250; the fixture's hand-worked W-2 proforma report.
      {"proforma.zov", Open, "", "", "lblAnnualWHProforma", "6,054.36"},
      {"proforma2026.zov", Open, "", "", "lblAnnualWHProforma", "7,004.14"},
      {"targeted2026.zov", Open, "", "", "lblWHShort", "1,422.04"},
      {"weekly2026.zov", Open, "", "", "lblWHPercentMethod", "78.08"},
      {"weekly2026.zov", Click, "lstFreqPercent", "Biweekly", "lblWHPercentMethod", "38.08"},
      // The frequency is one input of all three tabs: another tab's click recomputes this one.
      {"weekly2026.zov", Click, "lstFreqProforma", "Biweekly", "lblWHPercentMethod", "38.08"},
      // 58,500 / 12 = 4,875.00 a month, married, 3 allowances: 450.40 + 25.00 extra, x 12.
      {"proforma.zov", Click, "lstFreqProforma", "Monthly", "lblAnnualWHProforma", "5,704.80"},
      // 5,000 desired - 2,577.96 computed for the rest of the year.
      {"targeted2026.zov", Type, "txtTargWH4RestOfYrTargeted", "5000", "lblWHShort", "2,422.04"},
      // An excess of withholding is the one result below zero.
      {"targeted2026.zov", Type, "txtTargWH4RestOfYrTargeted", "1000", "lblWHShort", "-1,577.96"},
      // 104,000 a year less 8,600: 95,400 into the 2026 single table, 14,050 / 52.
      {"weekly2026.zov", Type, "txtWagesPercent", "2000", "lblWHPercentMethod", "270.19"},
      // 2005, single, weekly, no allowances: 76.40 + 25% of (1,000 - 606) = 174.90.
      {"weekly2026.zov", Pick, "lstTaxYearPercent", "2005", "lblWHPercentMethod", "174.90"},
      // The year is one input of all tabs: chosen on the W-2 Proforma tab of a percentage case it
      // leaves the case's own wages per pay check as they are.
      {"weekly2026.zov", Pick, "lstTaxYearProforma", "2005", "lblWHPercentMethod", "174.90"},
      // A 2019 form, no allowances: 52,000 a year into the 2026 worksheet, 5,092 / 52.
      {"weekly2026.zov", Pick, "lstW4FormPercent", "2019 Or Earlier", "lblWHPercentMethod",
       "97.92"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.example) + " " + row.control + " " + row.value);
    program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    program.app.state.DataSaved = true;  // the previous row's change is not to be kept
    ASSERT_TRUE(
        FileOperations::OpenFile(program.app, CORVALA_EXAMPLES "/" + std::string(row.example)));
    form->LoadFromObject();
    Pump();
    switch (row.action) {
      case Open:
        break;
      case Click: {
        auto* list = Find<QListWidget>(row.control);
        GoToTabOf(list);
        const QList<QListWidgetItem*> items = list->findItems(row.value, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.front()).center());
        break;
      }
      case Type: {
        auto* box = Find<QLineEdit>(row.control);
        GoToTabOf(box);
        FocusOn(box);
        box->selectAll();
        QTest::keyClicks(box, row.value);
        EXPECT_EQ(box->text(), row.value) << "the box keeps the typed text";
        break;
      }
      case Pick:
        Choose(row.control, row.value);
        break;
    }
    EXPECT_EQ(Find<QLabel>(row.result)->text().toStdString(), row.expected);
  }
}

// At a scale factor of 2 a 1400x1000 screen offers 700x500: the form fits on it, and every
// control of every tab can be scrolled into view, the buttons always in view.
TEST_F(InputForm, EveryControlCanBeReachedOnAScreenAtTwiceTheScale) {
  const QRect area(0, 0, 700, 500);
  for (const char* year : {"2005", "2026"}) {  // 2026: with the Form W-4 box beside the rest
    SCOPED_TRACE(year);
    Object().sTaxYear(year);
    form->LoadFromObject();
    form->resize(760, 470);
    FitOnScreen(form.get(), area);
    Pump();
    EXPECT_TRUE(area.contains(form->frameGeometry()))
        << form->frameGeometry().width() << "x" << form->frameGeometry().height();
    for (const FieldSpec& field : InputFields()) {
      if (!form->Shows(field.shown)) continue;
      auto* control = Find<QWidget>(field.name);
      GoToTabOf(control);
      auto* scroll = qobject_cast<QScrollArea*>(form->vsTabIP->currentWidget());
      ASSERT_NE(scroll, nullptr);
      scroll->ensureWidgetVisible(control);
      Pump();
      const QRect shown(control->mapTo(form.get(), QPoint(0, 0)), control->size());
      EXPECT_TRUE(form->rect().contains(shown)) << field.name;
      const QRect view(scroll->viewport()->mapTo(form.get(), QPoint(0, 0)),
                       scroll->viewport()->size());
      EXPECT_TRUE(view.intersects(shown)) << field.name << " scrolled into view";
    }
    for (QPushButton* button : {form->btnOK, form->btnCancel}) {
      EXPECT_TRUE(
          form->rect().contains(QRect(button->mapTo(form.get(), QPoint(0, 0)), button->size())));
    }
  }
}

// Showing the results on opening changes no input: a case opened and confirmed with OK is saved
// as it was read.
TEST_F(InputForm, OkOnAnOpenedCaseSavesItAsItWasRead) {
  auto lines = [](const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList kept;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (!line.startsWith("Version=") && !line.startsWith(';')) kept << line.trimmed();
    }
    kept.removeAll(QString());
    return kept.join('\n').toStdString();
  };
  for (const char* example : {"proforma.zov", "targeted2026.zov"}) {
    SCOPED_TRACE(example);
    const QString copy = QString::fromStdString(program.Path(example));
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(QString(CORVALA_EXAMPLES "/") + example, copy));
    program.app.state.DataSaved = true;
    ASSERT_TRUE(FileOperations::OpenFile(program.app, copy.toStdString()));
    form->LoadFromObject();
    QTest::mouseClick(form->btnOK, Qt::LeftButton);
    EXPECT_EQ(lines(copy), lines(QString(CORVALA_EXAMPLES "/") + example));
  }
}

// Going to another tab takes the focus to an input of that tab, never to the frame around it.
TEST_F(InputForm, AnotherTabTakesTheFocusToItsFirstInput) {
  for (int tab : {1, 2, 3}) {
    SCOPED_TRACE(tab);
    form->vsTabIP->setCurrentIndex(0);
    FocusOn(form->lstComputationChoice);
    form->vsTabIP->setCurrentIndex(tab);
    Pump();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    const FieldSpec* field = FieldNamed(QApplication::focusWidget()->objectName());
    ASSERT_NE(field, nullptr) << QApplication::focusWidget()->objectName().toStdString();
    EXPECT_EQ(field->tab, tab);
  }
}

TEST_F(InputForm, TheThreeFrequencyListsStayOnOneIndex) {
  for (const char* name : {"lstFreqProforma", "lstFreqTargeted", "lstFreqPercent"}) {
    for (int row : {3, 1, 4}) {
      SCOPED_TRACE(std::string(name) + " row " + std::to_string(row));
      Find<QListWidget>(name)->setCurrentRow(row);
      EXPECT_EQ(form->lstFreqProforma->currentRow(), row);
      EXPECT_EQ(form->lstFreqTargeted->currentRow(), row);
      EXPECT_EQ(form->lstFreqPercent->currentRow(), row);
      EXPECT_EQ(static_cast<int>(Object().enumFrequency()), row);
      EXPECT_EQ(form->lstFreqPercent->currentItem()->text(),
                QString::fromStdString(Object().GetFrequency(Object().enumFrequency())));
    }
  }
}

TEST_F(InputForm, UnmarriedBoxesAreKeptEqual) {
  auto click = [](QCheckBox* box) {
    FocusOn(box);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
  };
  auto all = [this](bool checked) {
    return form->chkUnmarriedProforma->isChecked() == checked &&
           form->chkUnmarriedTargeted->isChecked() == checked &&
           form->chkUnmarriedPercent->isChecked() == checked;
  };
  form->vsTabIP->setCurrentIndex(1);
  click(form->chkUnmarriedProforma);
  EXPECT_TRUE(all(true));
  EXPECT_TRUE(Object().IsSingle());

  form->vsTabIP->setCurrentIndex(3);
  click(form->chkUnmarriedPercent);
  EXPECT_TRUE(all(false));
  EXPECT_FALSE(Object().IsSingle());

  // The Targeted box takes the others along when it loses the focus.
  form->vsTabIP->setCurrentIndex(2);
  click(form->chkUnmarriedTargeted);
  EXPECT_TRUE(form->chkUnmarriedTargeted->isChecked());
  FocusOn(form->txtAllowancesTargeted);
  EXPECT_TRUE(all(true));
  EXPECT_TRUE(Object().IsSingle());
}

TEST_F(InputForm, EnteringAFieldOfAnotherComputationsTabWarns) {
  const std::string expected =
      "You selected the Targeted Withholding computation (General tab). You are at the W-2 "
      "Proforma input tab. Please either go to the Targeted Withholding input tab, or change the "
      "type of computation that you want to make at the General tab.";
  struct Row {
    int computation;
    const char* control;
    bool warns;
  };
  const Row rows[] = {{1, "txtAnnualWages", true},         {1, "txtName", false},
                      {1, "txtPayPerLeftTargeted", false}, {0, "txtAnnualWages", false},
                      {2, "txtWagesPercent", false},       {0, "txtWagesPercent", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control + std::string(" with computation ") + std::to_string(row.computation));
    program.dialogs.boxes.clear();
    Object().enumComputationType(static_cast<ostrand::eComputationType>(row.computation));
    auto* box = Find<QLineEdit>(row.control);
    GoToTabOf(box);
    FocusOn(box);
    ASSERT_EQ(program.dialogs.boxes.size(), row.warns ? 1u : 0u);
    if (row.warns) {
      EXPECT_EQ(program.dialogs.boxes[0].title, "WARNING!");
      EXPECT_EQ(program.dialogs.boxes[0].icon, Icon::Exclamation);
    }
    FocusOn(form->btnCancel);
  }
  Object().enumComputationType(ostrand::targeted);
  program.dialogs.boxes.clear();
  form->vsTabIP->setCurrentIndex(1);
  FocusOn(form->txtAnnualWages);
  ASSERT_EQ(program.dialogs.boxes.size(), 1u);
  EXPECT_EQ(program.dialogs.boxes[0].text, expected);
}

TEST_F(InputForm, AFieldThatIsNotANumberLeavesTheResultEmptyAndTheProgramRunning) {
  struct Row {
    ostrand::eComputationType computation;
    const char* control;
    const char* text;
    const char* label;
    const char* caption;
  };
  const Row rows[] = {
      {ostrand::proforma, "txtAnnualWages", "abc", "lblAnnualWHProforma",
       "Annual Wages Subject To Federal Withholding"},
      {ostrand::proforma, "txtAllowancesProforma", "", "lblAnnualWHProforma",
       "Withholding Allowances"},
      {ostrand::targeted, "txtPayPerLeftTargeted", "two", "lblWHShort",
       "Pay Periods For Rest Of Year"},
      {ostrand::Percent, "txtWagesPercent", "", "lblWHPercentMethod", "Gross Wages For Pay Period"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    Object().enumComputationType(row.computation);
    EXPECT_NO_THROW({
      TypeInto(row.control, row.text);
      Leave();
    });
    EXPECT_EQ(Find<QLabel>(row.label)->text(), "");
    EXPECT_TRUE(form->txtHelp->toPlainText().contains(
        QString("\"%1\" needs to be a number").arg(row.caption)))
        << form->txtHelp->toPlainText().toStdString();
    EXPECT_TRUE(form->isVisible());
    program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    form->LoadFromObject();
  }
  // Once the field holds a number again the result comes back and the note goes.
  Object().enumComputationType(ostrand::Percent);
  TypeInto("txtWagesPercent", "abc");
  Leave();
  TypeInto("txtWagesPercent", "600");
  Leave();
  EXPECT_FALSE(form->lblWHPercentMethod->text().isEmpty());
  EXPECT_TRUE(form->InputProblem().isEmpty());
}

// Every help text of the form is a whole sentence or more: it ends with a full stop and has no
// stray article.
TEST(InputFormHelp, EveryHelpTextEndsWithAFullStop) {
  for (const FieldSpec& field : InputFields()) {
    const QString help = HelpTextFor(field.name);
    if (help.isEmpty()) continue;
    SCOPED_TRACE(field.name);
    EXPECT_TRUE(help.endsWith('.')) << help.toStdString();
    EXPECT_FALSE(help.contains(" the a ")) << help.toStdString();
  }
}

// Every number field, whatever a person types into it and leaves, keeps the program running;
// a number too large for an amount is named in the help box like a word would be.
TEST_F(InputForm, NothingTypedIntoANumberFieldEndsTheProgram) {
  struct Field {
    ostrand::eComputationType computation;
    const char* control;
    const char* label;
    const char* caption;
    bool form2020 = false;  // a 2026 case with a 2020-or-later Form W-4
  };
  const Field fields[] = {
      {ostrand::proforma, "txtAnnualWages", "lblAnnualWHProforma",
       "Annual Wages Subject To Federal Withholding"},
      {ostrand::proforma, "txtAllowancesProforma", "lblAnnualWHProforma", "Withholding Allowances"},
      {ostrand::proforma, "txtAddWagePerChkProforma", "lblAnnualWHProforma",
       "Additional Withholding Per Pay Check"},
      {ostrand::targeted, "txtWages4RestOfYrTargeted", "lblWHShort", "Wages For Rest Of The Year"},
      {ostrand::targeted, "txtPayPerLeftTargeted", "lblWHShort", "Pay Periods For Rest Of Year"},
      {ostrand::targeted, "txtTargWH4RestOfYrTargeted", "lblWHShort",
       "Desired Withholding For Rest Of Year"},
      {ostrand::targeted, "txtAllowancesTargeted", "lblWHShort", "Withholding Allowances"},
      {ostrand::targeted, "txtAddWagePerChkTargeted", "lblWHShort",
       "Additional Withholding Per Pay Check"},
      {ostrand::Percent, "txtWagesPercent", "lblWHPercentMethod", "Gross Wages For Pay Period"},
      {ostrand::Percent, "txtAllowancesPercent", "lblWHPercentMethod", "Withholding Allowances"},
      {ostrand::Percent, "txtStep3Percent", "lblWHPercentMethod", "Step 3 Credits", true},
      {ostrand::proforma, "txtStep4aProforma", "lblAnnualWHProforma", "Step 4(a) Other Income",
       true},
      {ostrand::targeted, "txtStep4bTargeted", "lblWHShort", "Step 4(b) Deductions", true},
      {ostrand::proforma, "txtStep4cProforma", "lblAnnualWHProforma", "Step 4(c) Extra Withholding",
       true},
  };
  const QString huge = "99999999999999999999999";
  const QString typed[] = {huge,
                           "99999999999",
                           "-5",
                           "-",
                           ".",
                           "-.",
                           "0",
                           "1e400",
                           QString(400, '9'),
                           QString(300, 'x')};
  for (const Field& field : fields) {
    for (const QString& text : typed) {
      SCOPED_TRACE(std::string(field.control) + " <- " + text.left(30).toStdString());
      program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
      Object().enumComputationType(field.computation);
      Object().sWages4Yr("31200");
      Object().sRemainingWages("15600");
      Object().sRemainingPeriods("26");
      Object().sWagesPercent("600");
      if (field.form2020) Object().sTaxYear("2026");
      form->LoadFromObject();
      program.dialogs.boxes.clear();
      EXPECT_NO_THROW({
        TypeInto(field.control, text);
        Leave();
      });
      ASSERT_TRUE(form->isVisible());
      for (const auto& box : program.dialogs.boxes) {
        EXPECT_NE(box.icon, Icon::Critical) << box.text;
      }
      const char* refusal = text == huge || text.size() == 400 ? "\"%1\" is too large"
                            : text == "-5"                     ? "\"%1\" cannot be negative"
                                                               : nullptr;
      if (refusal) {
        EXPECT_EQ(Find<QLabel>(field.label)->text(), "");
        EXPECT_TRUE(form->txtHelp->toPlainText().contains(QString(refusal).arg(field.caption)))
            << form->txtHelp->toPlainText().toStdString();
      }
    }
  }
  // The text fields take any text without ending anything either.
  for (const char* field : {"txtName", "txtLine2"}) {
    SCOPED_TRACE(field);
    program.dialogs.boxes.clear();
    EXPECT_NO_THROW({
      TypeInto(field, QString(400, 'W'));
      Leave();
    });
    ASSERT_TRUE(form->isVisible());
    for (const auto& box : program.dialogs.boxes) EXPECT_NE(box.icon, Icon::Critical) << box.text;
  }
  // OK with a number too large saves the case and closes the form.
  program.app.state.NeverNamed = false;
  TypeInto("txtWagesPercent", huge);
  Leave();
  EXPECT_NO_THROW(QTest::mouseClick(form->btnOK, Qt::LeftButton));
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(program.app.state.CurrentFile)));
}

TEST_F(InputForm, OkSavesTheInputsToTheCurrentFile) {
  program.app.state.NeverNamed = false;
  TypeInto("txtName", "Ann Example");
  Leave();
  form->lstComputationChoice->setCurrentRow(2);
  form->lstFreqPercent->setCurrentRow(3);
  QTest::mouseClick(form->btnOK, Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Accepted);
  QFile file(QString::fromStdString(program.app.state.CurrentFile));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  EXPECT_TRUE(saved.contains("Ann Example"));
  EXPECT_TRUE(program.app.state.DataSaved);
  EXPECT_EQ(Object().enumComputationType(), ostrand::Percent);
  EXPECT_EQ(Object().enumFrequency(), ostrand::monthly);
}

TEST_F(InputForm, OkOnACaseWithoutANameAsksForOne) {
  program.app.state.NeverNamed = true;
  program.app.state.CurrentFile = program.Path("UNTITLED.zov");
  TypeInto("txtName", "Bo");
  Leave();

  program.dialogs.saveAnswers = {std::nullopt};  // the user cancels the Save As dialog
  QTest::mouseClick(form->btnOK, Qt::LeftButton);
  EXPECT_TRUE(form->isVisible()) << "the form stays open";
  EXPECT_FALSE(QFile::exists(program.Path("UNTITLED.zov").c_str()));
  EXPECT_FALSE(program.app.state.DataSaved);

  program.dialogs.saveAnswers.push_back(program.Path("bo.zov"));
  QTest::mouseClick(form->btnOK, Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(QFile::exists(program.Path("bo.zov").c_str()));
  EXPECT_FALSE(QFile::exists(program.Path("UNTITLED.zov").c_str()));
  EXPECT_EQ(program.app.state.CurrentFile, program.Path("bo.zov"));
}

TEST_F(InputForm, CancelPutsBackTheInputsAsTheyWereWhenTheFormOpened) {
  Object().sTaxpayer("Ann Before");
  Object().sWages4Yr("30000");
  Object().sAllowancesIP("2");
  Object().enumFrequency(ostrand::monthly);
  Object().enumComputationType(ostrand::targeted);
  form->LoadFromObject();
  TypeInto("txtName", "Cy Typed");
  TypeInto("txtAnnualWages", "41000");
  TypeInto("txtAllowancesPercent", "7");
  form->lstFreqTargeted->setCurrentRow(0);
  form->lstComputationChoice->setCurrentRow(2);
  FocusOn(form->chkUnmarriedPercent);
  QTest::mouseClick(form->chkUnmarriedPercent, Qt::LeftButton, {},
                    QPoint(8, form->chkUnmarriedPercent->height() / 2));
  ASSERT_TRUE(Object().IsSingle());
  ASSERT_FALSE(program.app.state.DataSaved);

  QTest::mouseClick(form->btnCancel, Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(Object().sTaxpayer(), "Ann Before");
  EXPECT_EQ(Object().sWages4Yr(), "30,000.00");
  EXPECT_EQ(Object().sAllowancesIP(), "2");
  EXPECT_EQ(Object().enumFrequency(), ostrand::monthly);
  EXPECT_EQ(Object().enumComputationType(), ostrand::targeted);
  EXPECT_FALSE(Object().IsSingle());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(program.app.state.CurrentFile)));
  EXPECT_TRUE(program.app.state.DataSaved) << "nothing is left to save";
}

// A case saved from inside the form ("Change or set filename") is the point Cancel returns to:
// the object, the saved state and the file agree afterwards.
TEST_F(InputForm, CancelAfterASaveFromTheFormReturnsToWhatWasSaved) {
  TypeInto("txtAnnualWages", "52000");
  Leave();
  program.dialogs.saveAnswers = {program.Path("saved.zov")};
  form->vsTabIP->setCurrentIndex(0);
  QTest::mouseClick(form->btnFilename, Qt::LeftButton);
  ASSERT_EQ(program.app.state.CurrentFile, program.Path("saved.zov"));
  TypeInto("txtAnnualWages", "60000");
  Leave();
  QTest::mouseClick(form->btnCancel, Qt::LeftButton);
  EXPECT_EQ(Object().sWages4Yr(), "52,000.00");
  EXPECT_TRUE(program.app.state.DataSaved);
  QFile file(QString::fromStdString(program.Path("saved.zov")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("Wage 4 yr=52,000.00"));
}

TEST_F(InputForm, SharedInputsShowTheSameValueOnEveryTabWhileTyping) {
  struct Row {
    const char* typedInto;
    const char* text;
    std::vector<const char*> others;
  };
  const Row rows[] = {
      {"txtAllowancesProforma", "3", {"txtAllowancesTargeted", "txtAllowancesPercent"}},
      {"txtAllowancesPercent", "12", {"txtAllowancesProforma", "txtAllowancesTargeted"}},
      {"txtAddWagePerChkTargeted", "7.5", {"txtAddWagePerChkProforma"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typedInto);
    TypeInto(row.typedInto, row.text);
    for (const char* other : row.others) EXPECT_EQ(Find<QLineEdit>(other)->text(), row.text);
    Leave();
    const QString shown = Find<QLineEdit>(row.typedInto)->text();
    for (const char* other : row.others) EXPECT_EQ(Find<QLineEdit>(other)->text(), shown);
  }
  // The unmarried status, ticked on any tab, shows on all three at once.
  for (QCheckBox* box :
       {form->chkUnmarriedTargeted, form->chkUnmarriedProforma, form->chkUnmarriedPercent}) {
    SCOPED_TRACE(box->objectName().toStdString());
    GoToTabOf(box);
    FocusOn(box);
    const bool before = box->isChecked();
    QTest::keyClick(box, Qt::Key_Space);
    for (QCheckBox* each :
         {form->chkUnmarriedProforma, form->chkUnmarriedTargeted, form->chkUnmarriedPercent}) {
      EXPECT_EQ(each->isChecked(), !before) << each->objectName().toStdString();
    }
    EXPECT_EQ(Object().IsSingle(), !before);
  }
}

TEST_F(InputForm, MismatchWarningComesOncePerTabVisitAndTypedKeysReachTheFields) {
  form->lstComputationChoice->setCurrentRow(ostrand::Percent);
  form->vsTabIP->setCurrentIndex(1);
  const std::pair<const char*, const char*> typed[] = {{"txtAnnualWages", "31200"},
                                                       {"txtAllowancesProforma", "2"},
                                                       {"txtAddWagePerChkProforma", "5"}};
  for (const auto& [name, text] : typed) {
    auto* box = Find<QLineEdit>(name);
    FocusOn(box);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    Pump();
  }
  EXPECT_EQ(program.dialogs.boxes.size(), 1u);
  EXPECT_EQ(Object().sWages4Yr(), "31,200.00");
  EXPECT_EQ(Object().sAllowancesIP(), "2");
  EXPECT_EQ(Object().sAdditionalPayckWH(), "5.00");
  // Coming back to the tab is a new visit.
  form->vsTabIP->setCurrentIndex(0);
  form->vsTabIP->setCurrentIndex(1);
  FocusOn(form->txtAllowancesProforma);
  EXPECT_EQ(program.dialogs.boxes.size(), 2u);
}

// No key typed on is lost when the mismatch warning comes up, whether the field was entered by
// Tab or by a click, and whether the keys reach the warning box or, before it has the keyboard,
// the form's window that it blocks.
TEST_F(InputForm, KeysTypedWhileTheMismatchWarningIsUpGoToTheField) {
  QtDialogs dialogs(program.app);
  program.app.platform.dialogs = &dialogs;
  struct Row {
    const char* title;
    bool byClick;
    bool toFormWindow;
  };
  const Row rows[] = {{"Tab, keys to the box", false, false},
                      {"Tab, keys to the form's window", false, true},
                      {"click, keys to the box", true, false},
                      {"click, keys to the form's window", true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
    form->LoadFromObject();
    form->lstComputationChoice->setCurrentRow(ostrand::Percent);
    form->vsTabIP->setCurrentIndex(0);
    form->vsTabIP->setCurrentIndex(1);
    FocusOn(form->btnCancel);
    // The user goes on typing before answering the real warning box with Enter.
    QString warning;
    int answers = 0;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&, this] {
      QMessageBox* box = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* shown = qobject_cast<QMessageBox*>(top); shown && shown->isVisible()) box = shown;
      }
      if (!box) return;
      QWidget* target = box->focusWidget() ? box->focusWidget() : box;
      if (warning.isEmpty()) {
        warning = box->text();
        // The form stays out of reach of the mouse meanwhile, as behind any message box.
        QTest::mouseClick(form->btnOK, Qt::LeftButton);
        if (row.toFormWindow) {
          for (char key : {'4', '2'}) QTest::keyClick(form->windowHandle(), key);
        } else {
          QTest::keyClicks(target, "42");
        }
      }
      // Enter answers the box; should it not have the focus yet, its button is clicked.
      if (++answers < 5) {
        QTest::keyClick(target, Qt::Key_Return);
      } else {
        box->defaultButton()->click();
      }
    });
    typist.start(10);
    if (row.byClick) {
      QTest::mouseClick(form->txtAnnualWages, Qt::LeftButton);
    } else {
      FocusOn(form->txtAnnualWages);
    }
    typist.stop();
    EXPECT_TRUE(form->isVisible()) << "OK was clicked behind the warning";
    EXPECT_TRUE(warning.startsWith("You selected the")) << warning.toStdString();
    EXPECT_EQ(form->txtAnnualWages->text(), "42");
    EXPECT_EQ(Object().sWages4Yr(), "42.00");
  }
  program.app.platform.dialogs = &program.dialogs;
}

TEST_F(InputForm, EnterOnAFocusedButtonPressesIt) {
  FocusOn(form->btnCancel);
  QTest::keyClick(form->btnCancel, Qt::Key_Return);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Rejected);

  program.app.state.NeverNamed = false;
  form->LoadFromObject();
  form->show();
  FocusOn(form->btnOK);
  QTest::keyClick(form->btnOK, Qt::Key_Enter);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(program.app.state.CurrentFile)));
}

TEST_F(InputForm, EnterMovesToTheNextFieldAndHelpFollowsTheFocus) {
  form->vsTabIP->setCurrentIndex(0);
  FocusOn(form->txtName);
  EXPECT_EQ(form->txtHelp->toPlainText(),
            "Enter the name of the employee. This input is optional.");
  QTest::keyClick(form->txtName, Qt::Key_Return);
  Pump();
  EXPECT_TRUE(form->txtLine2->hasFocus());
  EXPECT_TRUE(form->isVisible()) << "Enter must not press OK";
  EXPECT_TRUE(form->txtHelp->toPlainText().startsWith("Enter the information"));
}

TEST_F(InputForm, LoadingShowsTheObjectsValuesWithoutChangingIt) {
  Object().sTaxpayer("Di Loaded");
  Object().sAllowancesIP("3");
  Object().enumFrequency(ostrand::semimonthly);
  Object().IsSingle(true);
  Object().enumComputationType(ostrand::targeted);
  program.app.state.DataSaved = true;
  frmIP loaded(program.app);
  loaded.LoadFromObject();
  EXPECT_EQ(loaded.txtName->text(), "Di Loaded");
  for (QLineEdit* box :
       {loaded.txtAllowancesProforma, loaded.txtAllowancesTargeted, loaded.txtAllowancesPercent}) {
    EXPECT_EQ(box->text(), "3");
  }
  EXPECT_EQ(loaded.lstFreqTargeted->currentRow(), 2);
  EXPECT_EQ(loaded.lstComputationChoice->currentRow(), 1);
  EXPECT_TRUE(loaded.chkUnmarriedPercent->isChecked());
  EXPECT_TRUE(program.app.state.DataSaved) << "filling the form is not a change by the user";
}

// ----- The tax year and the Form W-4 -----

TEST_F(InputForm, A2026WeeklySingleEmployeeOnA2020FormShowsItsWithholding) {
  form->lstComputationChoice->setCurrentRow(ostrand::Percent);
  Choose("lstTaxYearPercent", "2026");
  EXPECT_EQ(Find<QComboBox>("lstW4FormPercent")->currentText(), "2020 Or Later");
  EXPECT_EQ(form->lstFreqPercent->currentItem()->text(), "Weekly");
  EXPECT_FALSE(Find<QCheckBox>("chkStep2Percent")->isChecked());
  TypeInto("txtWagesPercent", "1000");
  Leave();
  EXPECT_EQ(form->lblWHPercentMethod->text(), "78.08");
  EXPECT_EQ(Object().sTaxYear(), "2026");
  EXPECT_TRUE(program.dialogs.boxes.empty()) << program.dialogs.boxes.front().text;
  FocusOn(Find<QLineEdit>("txtStep3Percent"));
  EXPECT_TRUE(
      form->txtHelp->toPlainText().startsWith("Enter the amount of Step 3 of the Form W-4"));
}

// Years from 2020 ask which Form W-4 the employee gave; each kind shows its own entries, on every
// computation tab alike, whichever tab the choice was made on.
TEST_F(InputForm, TheYearAndTheKindOfFormShowTheInputsOfThatForm) {
  const char* const kinds[] = {"lstW4FormProforma", "lstW4FormTargeted", "lstW4FormPercent"};
  const char* const earlier[] = {"txtAllowancesProforma", "txtAddWagePerChkTargeted",
                                 "chkUnmarriedPercent", "txtAllowancesPercent"};
  const char* const form2020[] = {"lstW4StatusProforma", "chkStep2Targeted",  "txtStep3Percent",
                                  "txtStep4aProforma",   "txtStep4bTargeted", "txtStep4cProforma"};
  struct Row {
    const char* yearList;
    const char* year;
    const char* kindList;  // nullptr: the kind stays as it was
    const char* kind;
    bool kindShown, earlierShown, form2020Shown;
  };
  const Row rows[] = {
      {"lstTaxYearPercent", "2026", nullptr, nullptr, true, false, true},
      {"lstTaxYearTargeted", "2024", "lstW4FormProforma", "2019 Or Earlier", true, true, false},
      {"lstTaxYearProforma", "2005", nullptr, nullptr, false, true, false},
      {"lstTaxYearPercent", "2021", nullptr, nullptr, true, true, false},
      {"lstTaxYearProforma", "2025", "lstW4FormTargeted", "2020 Or Later", true, false, true},
  };
  // The label beside a control goes and comes with it.
  auto shownWithLabel = [this](const char* name) {
    auto* control = Find<QWidget>(name);
    for (QLabel* label : form->findChildren<QLabel*>()) {
      if (label->buddy() == control) {
        EXPECT_EQ(Shown(label), Shown(control)) << name;
      }
    }
    return Shown(control);
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.yearList) + " " + row.year);
    Choose(row.yearList, row.year);
    if (row.kindList) Choose(row.kindList, row.kind);
    for (const char* list : {"lstTaxYearProforma", "lstTaxYearTargeted", "lstTaxYearPercent"}) {
      EXPECT_EQ(Find<QComboBox>(list)->currentText(), row.year) << list;
    }
    EXPECT_EQ(Object().sTaxYear(), row.year);
    for (const char* name : kinds) {
      EXPECT_EQ(shownWithLabel(name), row.kindShown) << name;
      EXPECT_EQ(Find<QComboBox>(name)->currentIndex(), static_cast<int>(Object().enumW4Form()));
    }
    for (const char* name : earlier) EXPECT_EQ(shownWithLabel(name), row.earlierShown) << name;
    for (const char* name : form2020) EXPECT_EQ(shownWithLabel(name), row.form2020Shown) << name;
  }
  EXPECT_FALSE(program.app.state.DataSaved);
}

// A choice of the Form W-4 recomputes the tab's result at once, without leaving the control.
TEST_F(InputForm, AStatusOrStep2ChangeUpdatesTheResult) {
  Object().sTaxYear("2026");
  Object().sWagesPercent("1000");
  Object().enumComputationType(ostrand::Percent);
  form->LoadFromObject();
  auto* step2 = Find<QCheckBox>("chkStep2Percent");
  // Weekly 1,000.00 is 52,000.00 a year. Head of household: 52,000 - 8,600 = 43,400; over
  // 33,250: 1,770 + 12% = 2,988.00 / 52 = 57.46. Single with the Step 2 box (the CHECKBOX table):
  // 52,000 over 33,250: 2,900 + 22% = 7,025.00 / 52 = 135.10.
  struct Row {
    const char* status;  // nullptr: the Step 2 box is ticked instead
    const char* expected;
  };
  const Row rows[] = {{"Head Of Household", "57.46"},
                      {"Single Or Married Filing Separately", "78.08"},
                      {nullptr, "135.10"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status ? row.status : "Step 2");
    if (row.status) {
      Choose("lstW4StatusPercent", row.status);
    } else {
      FocusOn(step2);
      QTest::keyClick(step2, Qt::Key_Space);
    }
    EXPECT_EQ(form->lblWHPercentMethod->text().toStdString(), row.expected);
  }
  EXPECT_TRUE(Object().IsStep2Checked());
  EXPECT_TRUE(Find<QCheckBox>("chkStep2Proforma")->isChecked());
  EXPECT_FALSE(program.app.state.DataSaved);
}

// What every input control of the form shows, by name.
std::map<std::string, QString> ShownInputs(frmIP& form) {
  std::map<std::string, QString> shown;
  for (const FieldSpec& field : InputFields()) {
    QWidget* control = form.findChild<QWidget*>(field.name);
    if (auto* box = qobject_cast<QLineEdit*>(control)) {
      shown[field.name] = box->text();
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      shown[field.name] = list->currentText();
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
      shown[field.name] = QString::number(list->currentRow());
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
      shown[field.name] = box->isChecked() ? "checked" : "";
    }
  }
  return shown;
}

TEST_F(InputForm, OkSavesA2026CaseWhoseReloadShowsTheSameInputs) {
  program.app.state.NeverNamed = false;
  form->lstComputationChoice->setCurrentRow(ostrand::Percent);
  Choose("lstTaxYearProforma", "2026");
  Choose("lstW4StatusTargeted", "Head Of Household");
  FocusOn(Find<QCheckBox>("chkStep2Proforma"));
  QTest::keyClick(Find<QCheckBox>("chkStep2Proforma"), Qt::Key_Space);
  TypeInto("txtStep4cTargeted", "10");
  TypeInto("txtStep3Percent", "2000");
  TypeInto("txtStep4aPercent", "500");
  TypeInto("txtStep4bPercent", "300");
  TypeInto("txtWagesPercent", "1000");
  Leave();
  const std::map<std::string, QString> before = ShownInputs(*form);
  QTest::mouseClick(form->btnOK, Qt::LeftButton);
  ASSERT_EQ(form->result(), QDialog::Accepted);

  QFile file(QString::fromStdString(program.app.state.CurrentFile));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("Tax Year=2026"));
  program.app.state.withholding = ostrand::CreateObject(ostrand::kWhBusObjClassId);
  Object().Load(program.app.state.CurrentFile);
  frmIP reloaded(program.app);
  reloaded.LoadFromObject();
  EXPECT_EQ(ShownInputs(reloaded), before);
  EXPECT_EQ(before.at("lstTaxYearTargeted"), "2026");
  EXPECT_EQ(before.at("lstW4StatusPercent"), "Head Of Household");
  EXPECT_EQ(before.at("chkStep2Targeted"), "checked");
  EXPECT_EQ(before.at("txtStep4cProforma"), "10.00");
  EXPECT_EQ(before.at("txtStep4bProforma"), "300.00");
}

// A case file may name a year whose tables are not installed here: the form shows that year,
// says why there is no result, and OK still saves the case.
TEST_F(InputForm, ACaseOfAYearWithoutTablesShowsItsYearAndSaysWhyThereIsNoResult) {
  Object().sTaxYear("2019");
  Object().enumComputationType(ostrand::Percent);
  form->LoadFromObject();
  auto* years = Find<QComboBox>("lstTaxYearPercent");
  EXPECT_EQ(years->currentText(), "2019");
  EXPECT_GE(years->findText("2026"), 0);
  TypeInto("txtWagesPercent", "600");
  Leave();
  EXPECT_EQ(form->lblWHPercentMethod->text(), "");
  EXPECT_TRUE(form->txtHelp->toPlainText().contains("no withholding tables for the tax year 2019"))
      << form->txtHelp->toPlainText().toStdString();
  EXPECT_TRUE(program.dialogs.boxes.empty()) << program.dialogs.boxes.front().text;

  program.app.state.NeverNamed = false;
  QTest::mouseClick(form->btnOK, Qt::LeftButton);
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(program.dialogs.boxes.empty()) << program.dialogs.boxes.front().text;
  EXPECT_TRUE(QFile::exists(QString::fromStdString(program.app.state.CurrentFile)));
}

}  // namespace
}  // namespace corvala::test
