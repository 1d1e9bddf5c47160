// frmIP, the input form: four tabs of inputs written through to the withholding object as they
// are typed, the result of each computation shown on its tab, a help box and OK / Cancel.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <string>

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

class frmIP : public QDialog {
 public:
  explicit frmIP(App& app, QWidget* parent = nullptr);
  ~frmIP() override;

  App& app() { return app_; }
  ostrand::_WhBusObj& Object();

  // Fills every control from the withholding object (the loading flag is set meanwhile), then
  // starts an edit on the object.
  void LoadFromObject();
  bool Loading() const { return loading_; }

  // The caption of the label beside a text box, without its colon ("Withholding Allowances").
  QString InputCaption(const QLineEdit* box) const;
  // A note about an input that is not a number, shown in txtHelp above the help of the control
  // that has the focus until a recomputation succeeds; empty clears it.
  void SetInputProblem(const QString& problem);
  const QString& InputProblem() const { return inputProblem_; }

  // The property a text box writes ("sWages4Yr").
  static std::string PropertyOf(const QWidget* control);

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
  void Wire();
  void Entered(QWidget* control);
  void Left(QWidget* control);
  void UnmarriedSync(QCheckBox* from);

  App& app_;
  bool loading_ = false;
  QString inputProblem_;
  QString currentHelp_;
  std::map<const QLineEdit*, QString> captions_;
};

// The help text shown in txtHelp when a control gets the focus; empty for other controls.
QString HelpTextFor(const QString& controlName);

}  // namespace corvala
