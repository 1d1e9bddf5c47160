#include "qtprint/dlg_rpt_choices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "qtprint/qt_text.h"
#include "qtprint/screen_centre.h"

namespace corvala {
namespace {

QCheckBox* AddCheck(QVBoxLayout* layout, QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  layout->addWidget(box);
  return box;
}

Qt::CheckState State(std::int16_t flag) {
  return flag == 1 ? Qt::Checked : Qt::Unchecked;
}
std::int16_t Flag(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace

DlgRptChoices::DlgRptChoices(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgRptChoices"));
  setWindowTitle(QStringLiteral("Report Choices"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);

  auto* frame = new QGroupBox(QStringLiteral("Check Desired Reports"), this);
  frame->setObjectName(QStringLiteral("fraReports"));
  auto* checks = new QVBoxLayout(frame);
  chkRptInput_ = AddCheck(checks, frame, "chkRptInput", "Input Report");
  chkW2Proforma_ = AddCheck(checks, frame, "chkW2Proforma", "W-2 Proforma Report");
  chkTargeted_ = AddCheck(checks, frame, "chkTargeted", "Targeted Withholding Rpt");
  chkPercentMethod_ = AddCheck(checks, frame, "chkPercentMethod", "Percentage Method Calc.");

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  cancel->setAutoDefault(false);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, [this] {
    outcome_ = ReportChoiceOutcome::Ok;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    outcome_ = ReportChoiceOutcome::Cancelled;
    reject();
  });
}

void DlgRptChoices::closeEvent(QCloseEvent* event) {
  outcome_ = ReportChoiceOutcome::Closed;
  QDialog::closeEvent(event);
}

ReportChoiceResult DlgRptChoices::Ask(const std::string& caption, const ReportChecks& initial) {
  setWindowTitle(qtprint::ToQString(caption));
  chkRptInput_->setCheckState(State(initial.input));
  chkW2Proforma_->setCheckState(State(initial.w2Proforma));
  chkTargeted_->setCheckState(State(initial.targeted));
  chkPercentMethod_->setCheckState(State(initial.percentage));

  adjustSize();
  qtprint::CentreOnScreen(this);

  // Escape rejects without a close event and counts as Cancel.
  outcome_ = ReportChoiceOutcome::Cancelled;
  exec();

  ReportChoiceResult result;
  result.outcome = outcome_;
  if (outcome_ == ReportChoiceOutcome::Ok) {
    result.checks.input = Flag(chkRptInput_);
    result.checks.w2Proforma = Flag(chkW2Proforma_);
    result.checks.targeted = Flag(chkTargeted_);
    result.checks.percentage = Flag(chkPercentMethod_);
  }
  return result;
}

}  // namespace corvala
