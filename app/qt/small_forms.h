// The program's small modal forms: the about box, the start-up choice, the font warning and the
// closing screen. Each is a plain QDialog whose child widgets carry the control names, so the
// tests and the screenshot run find them with findChild.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "core/help_support.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRect;

namespace corvala {

// Fits a window to the available area of the screen it is on and centres it there.
void CenterForm(QWidget* form);
// Makes the form no larger than `area` (as far as its minimum size allows; forms that can grow
// large scroll their contents) and centres it there, its top left corner never off the area.
void FitOnScreen(QWidget* form, const QRect& area);

// frmAbout: the about box, also the splash screen at start-up.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(const HelpSupport::AboutTexts& texts, QWidget* parent = nullptr);
};

// frmStartUp: "New Scenario" (1), "Old Scenario" (2) or "Main Window" (0).
class frmStartUp : public QDialog {
  Q_OBJECT

 public:
  explicit frmStartUp(QWidget* parent = nullptr);
  std::int16_t Choice() const { return choice_; }

 private:
  std::int16_t choice_ = 0;
};

// frmError: the "Error Warning" form with "Don't show this message again".
class frmError : public QDialog {
  Q_OBJECT

 public:
  frmError(const std::string& message, QWidget* parent = nullptr);
  // The value of chkDontShow as the program reads it: 1 checked, 0 not; 0 when the form was
  // closed with its window button instead of btnOK.
  std::int16_t DontShowValue() const;

 private:
  QCheckBox* chkDontShow_;
  bool confirmed_ = false;
};

// frmFinal: the closing screen with its read-only text.
class frmFinal : public QDialog {
  Q_OBJECT

 public:
  frmFinal(const std::string& caption, const std::string& text, QWidget* parent = nullptr);
};

// The closing screen's text as the text box shows it: CR LF pairs become line breaks.
QString DisplayText(const std::string& text);

}  // namespace corvala
