// frmIP, the input form: four tabs of inputs written through to the withholding object as they
// are typed, the result of each computation shown on its tab, a help box and OK / Cancel.
//
// The form's fields are described once, as data (InputFields): the tab, the kind of control, its
// name, caption, property and help. The form is built from that table and every routine that
// needs to know about a field asks it, so a new input is one more row.
#pragma once

#include <QDialog>
#include <QString>
#include <span>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace ostrand {
class _WhBusObj;
}

namespace corvala {

struct App;

// What a row of the input form holds.
enum class FieldKind {
  Text,             // a text box of free text (the name)
  Money,            // a text box of an amount
  Count,            // a text box of a whole number (allowances, pay periods)
  ComputationList,  // the list of the three computations
  FrequencyList,    // a payroll-frequency list
  Unmarried,        // a "Check If Unmarried" box
  Result,           // the label showing the tab's computation result
  FileName,         // the file-name button and the label beside it
  TaxYearList,      // a drop-down list of the tax years whose tables are installed
  W4FormList,       // a drop-down list of the kinds of Form W-4
  W4StatusList,     // a drop-down list of the filing statuses of the 2020-or-later Form W-4
  Step2Box,         // the Step 2 box of the 2020-or-later Form W-4
};

// The cases a row is shown for.
enum class ShownFor {
  Always,
  Years2020On,  // a tax year from 2020 on: the kind of Form W-4
  EarlierForm,  // 2005, or a 2019-or-earlier Form W-4: allowances, unmarried, additional
  Form2020,     // a 2020-or-later Form W-4 from 2020 on; these rows make the tab's "Form W-4" box
};

struct FieldSpec {
  int tab;  // 0 General Information, 1 W-2 Proforma, 2 Targeted Withholding, 3 Percentage Method
  FieldKind kind;
  const char* name;      // "txtAnnualWages"
  const char* caption;   // the label beside it, "" for none
  const char* property;  // the withholding object's property it reads and writes, "" for none
  const char* help;      // shown in txtHelp while the control has the focus
  ShownFor shown = ShownFor::Always;
};

// Every field of the form, tab by tab, in the order they are laid out.
std::span<const FieldSpec> InputFields();
// The row of a control, or nullptr.
const FieldSpec* FieldNamed(const QString& name);

class frmIP : public QDialog {
  Q_OBJECT

 public:
  explicit frmIP(App& app, QWidget* parent = nullptr);
  ~frmIP() override;

  App& app() { return app_; }
  ostrand::_WhBusObj& Object();

  // Fills every control from the withholding object (the loading flag is set meanwhile), keeps
  // the inputs as they are for Cancel, shows the results, then starts an edit on the object.
  void LoadFromObject();
  bool Loading() const { return loading_; }
  // Puts the focus in the first input of the current tab, and its help in the help box.
  void FocusFirstInput();

  // The caption of the label beside a text box, without its colon ("Withholding Allowances").
  QString InputCaption(const QLineEdit* box) const;
  // A note about an input that cannot be used (not a number, too large), shown in txtHelp above
  // the help of the control that has the focus until a recomputation succeeds; empty clears it.
  void SetInputProblem(const QString& problem);
  const QString& InputProblem() const { return inputProblem_; }

  // Cancel, Escape and the window's close button: the inputs go back to what they were when the
  // form was filled or last saved from it (its file-name button), and so does the question
  // whether they are saved.
  void reject() override;

  // The property a text box writes ("sWages4Yr"); empty for other controls.
  static std::string PropertyOf(const QWidget* control);
  // The text boxes of one tab that hold numbers the case's computation uses (those of the case's
  // year and kind of Form W-4), in their order on the tab.
  std::vector<QLineEdit*> NumberInputs(int tab);
  // Whether the rows shown for `rows` belong to the case's tax year and kind of Form W-4.
  bool Shows(ShownFor rows);

  // Controls, named as the tests and the routines of IPSupport know them.
  QTabWidget* vsTabIP;
  QTextEdit* txtHelp;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  QListWidget* lstComputationChoice;
  QLineEdit* txtName;
  QLineEdit* txtLine2;
  QPushButton* btnFilename;
  QLabel* lblFilename;

  QLineEdit* txtAnnualWages;
  QListWidget* lstFreqProforma;
  QLineEdit* txtAllowancesProforma;
  QLineEdit* txtAddWagePerChkProforma;
  QCheckBox* chkUnmarriedProforma;
  QLabel* lblAnnualWHProforma;

  QLineEdit* txtWages4RestOfYrTargeted;
  QLineEdit* txtPayPerLeftTargeted;
  QLineEdit* txtTargWH4RestOfYrTargeted;
  QListWidget* lstFreqTargeted;
  QLineEdit* txtAllowancesTargeted;
  QLineEdit* txtAddWagePerChkTargeted;
  QCheckBox* chkUnmarriedTargeted;
  QLabel* lblWHShort;

  QLineEdit* txtWagesPercent;
  QLineEdit* txtAllowancesPercent;
  QListWidget* lstFreqPercent;
  QCheckBox* chkUnmarriedPercent;
  QLabel* lblWHPercentMethod;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  void BindControls();
  void Wire();
  void Entered(QWidget* control);
  void Left(QWidget* control);
  void UnmarriedSync(QCheckBox* from);
  // A drop-down list or the Step 2 box changed by the user: the property takes its value, the
  // controls of the same property on the other tabs show it, and the tab's result is recomputed.
  void ChoiceMade(const FieldSpec& field, QWidget* control);
  // Shows the property's value in every drop-down list and Step 2 box that holds it.
  void ShowChoice(const std::string& property);
  // Shows the rows of the case's tax year and kind of Form W-4 and hides the others.
  void ShowRowsOfCase();
  // Shows the property's current value in every text box that holds it; `except` keeps its text.
  void ShowProperty(const std::string& property, const QLineEdit* except = nullptr);
  // The computation tab whose inputs a change of `field` concerns, which hands its wages per
  // pay check to the percentage method: the field's own tab for an input only that tab has,
  // else (shared inputs, the case as a whole: nullptr) the tab of the case's computation.
  int HandingTab(const FieldSpec* field);
  // Recomputes the three computation tabs, so that each shows the result of the inputs beside
  // it. Only `handing` hands over its wages per pay check; the other year-level computation
  // leaves the percentage method's wages as they were. `typing` keeps the text being typed.
  void RecomputeAll(int handing, const QLineEdit* typing = nullptr);
  static constexpr int kNoTab = 0;  // `handing` for no computation handing over its wages
  // Shows in the help box why the current computation tab (on the first tab: the case's
  // computation) has no result; clears the note when it has one.
  void ShowProblemOfTab();
  // Keeps the inputs as they are now as the point Cancel returns to.
  void KeepForCancel();
  void CancelInputs();
  template <typename T>
  std::vector<T*> ControlsOf(FieldKind kind) const;

  App& app_;
  std::vector<QWidget*> form2020Boxes_;  // the "Form W-4" box of each computation tab
  bool loading_ = false;
  QString inputProblem_;
  QString problems_[4];  // why each computation tab shows no result; empty when it shows one
  QString currentHelp_;
  int warnedTab_ = -1;  // the tab whose mismatch warning this visit has shown
  // The inputs as they were when the form was filled or last saved from it, put back by Cancel,
  // and whether they were saved then.
  std::vector<std::pair<std::string, std::string>> opening_;
  bool openingSaved_ = true;
};

// The help text shown in txtHelp when a control gets the focus; empty for other controls.
QString HelpTextFor(const QString& controlName);

}  // namespace corvala
