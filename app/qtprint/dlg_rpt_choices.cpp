#include "qtprint/dlg_rpt_choices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/withholding_reports.h"
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
  // One box per report, in the order of the report table.
  for (const Reports::ReportKind& report : Reports::kReports) {
    boxes_.push_back(AddCheck(checks, frame, report.boxName, report.boxCaption));
  }

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
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i]->setCheckState(State(i < initial.size() ? initial[i] : std::int16_t{0}));
  }

  adjustSize();
  qtprint::CentreOnScreen(this);

  // Escape rejects without a close event and counts as Cancel.
  outcome_ = ReportChoiceOutcome::Cancelled;
  exec();

  ReportChoiceResult result;
  result.outcome = outcome_;
  if (outcome_ == ReportChoiceOutcome::Ok) {
    for (const QCheckBox* box : boxes_) result.checks.push_back(Flag(box));
  }
  return result;
}

}  // namespace corvala
