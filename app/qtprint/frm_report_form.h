// frmReportForm: one report on the screen, read-only, with Print, Exit and Preview.
#pragma once

#include <QSize>
#include <QWidget>
#include <functional>
#include <string>

#include "core/platform.h"
#include "core/withholding_reports.h"

class QPlainTextEdit;
class QToolBar;
class QAction;

namespace corvala {

// The report a window shows, known from the caption its report routine gives it (nullptr when the
// caption names none).
using ReportKind = const Reports::ReportKind*;

class FrmReportForm : public QWidget, public ReportWindow {
 public:
  struct Actions {
    std::function<void()> print;                        // "print": the report run to the printer
    std::function<void(ReportKind, QWidget*)> preview;  // "preview": this report previewed
  };

  explicit FrmReportForm(Actions actions, QWidget* parent = nullptr);

  void SetCaption(const std::string& caption) override;
  void SetText(const std::string& text) override;
  void AppendText(const std::string& text) override;
  std::string Text() const override;
  void Show() override;

  ReportKind Kind() const { return kind_; }
  QSize OpeningSize() const { return opening_; }
  QPlainTextEdit* TextBox() const { return txtReport_; }
  QToolBar* Toolbar() const { return tbToolbar_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Actions actions_;
  QToolBar* tbToolbar_;
  QAction* previewAction_;
  QPlainTextEdit* txtReport_;
  std::string text_;  // the text exactly as handed over, CR LF line ends
  QSize opening_;
  ReportKind kind_ = nullptr;
};

}  // namespace corvala
