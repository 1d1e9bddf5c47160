#include "qt/control_extend.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "core/app.h"
#include "core/errors.h"
#include "ostrand/wh_bus_obj.h"
#include "qel/error.h"
#include "qt/small_forms.h"

namespace corvala::ControlExtend {

bool TextChg(App& app, QLineEdit* box, ostrand::_WhBusObj& object, std::string_view property) {
  const std::string text = box->text().toStdString();
  if (text == "-") return false;  // a minus sign on its way to a number
  try {
    ostrand::LetProperty(object, property, text);
    return true;
  } catch (const std::exception&) {
    const qel::QelError error = qel::CurrentError();
    if (error.number() == qel::err::kTooManyChars || error.number() == qel::err::kNeedsNumber) {
      const char* message = error.number() == qel::err::kTooManyChars
                                ? "Too many characters entered."
                                : "This item needs to be a number.";
      app.platform.dialogs->MessageBox("(" + std::to_string(error.number()) + ") " + message,
                                       Buttons::OK, Icon::None, kProgramTitle);
    } else {
      ErrorReporter(app).NotifyError(error.number(), error.description(),
                                     "ControlExtend.TextChg\r" + error.source(), kProgramTitle);
    }
  }
  QApplication::beep();
  const int cursor = box->cursorPosition();
  if (cursor != 0) {
    try {
      box->setText(QString::fromStdString(GetProp(object, property)));
      box->setCursorPosition(cursor - 1);
    } catch (const std::exception&) {
      // A property that cannot be read back either: the box keeps what was typed.
    }
  }
  return false;
}

std::string GetProp(ostrand::_WhBusObj& object, std::string_view property) {
  return ostrand::GetProperty(object, property);
}

void SelectText(QWidget* control) {
  auto* box = qobject_cast<QLineEdit*>(control);
  if (!box) return;
  box->selectAll();
  // A mouse click that brought the focus would otherwise place the cursor and drop the selection.
  QTimer::singleShot(0, box, [box] {
    if (box->hasFocus()) box->selectAll();
  });
}

void CenterForm(QWidget* form) {
  corvala::CenterForm(form);
}

void EnterToTab(int& keyCode, QWidget* control) {
  if (keyCode != 13) return;
  keyCode = 0;
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QCoreApplication::sendEvent(control, &tab);
}

}  // namespace corvala::ControlExtend
