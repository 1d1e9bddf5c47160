// dlgRptChoices: which reports to produce, one check box per report of the report table.
#pragma once

#include <QDialog>
#include <vector>

#include "core/platform.h"

class QCheckBox;
class QCloseEvent;

namespace corvala {

class DlgRptChoices : public QDialog {
 public:
  explicit DlgRptChoices(QWidget* parent = nullptr);

  // Sets the check boxes, shows the dialog modally with `caption` as its title, centred on the
  // screen. OK gives Ok with the boxes' values; the Cancel button or the Escape key give
  // Cancelled; closing the window by its frame gives Closed.
  ReportChoiceResult Ask(const std::string& caption, const ReportChecks& initial);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::vector<QCheckBox*> boxes_;  // one per report of Reports::kReports, in its order
  ReportChoiceOutcome outcome_ = ReportChoiceOutcome::Cancelled;
};

}  // namespace corvala
