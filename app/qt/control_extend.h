// Small routines for the input form's controls: write-through of a text box by property name,
// reading a property by name, selecting a control's text, centring a form, Enter as Tab.
#pragma once

#include <string>
#include <string_view>

class QLineEdit;
class QWidget;

namespace ostrand {
class _WhBusObj;
}

namespace corvala {

struct App;

namespace ControlExtend {

// Writes the box's text to the named property; a lone "-" writes nothing. When the object
// refuses the text, the user is told, the box shows the property's last valid value again and
// false is returned.
bool TextChg(App& app, QLineEdit* box, ostrand::_WhBusObj& object, std::string_view property);
std::string GetProp(ostrand::_WhBusObj& object, std::string_view property);
void SelectText(QWidget* control);
void CenterForm(QWidget* form);
// Turns the Enter key (13) into a move to the next control: the code becomes 0 and a Tab key
// stroke is sent to `control`, and processed before returning. Other keys pass unchanged.
void EnterToTab(int& keyCode, QWidget* control);

}  // namespace ControlExtend
}  // namespace corvala
