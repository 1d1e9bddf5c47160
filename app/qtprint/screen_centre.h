// Placing the program's forms in the middle of the screen.
#pragma once

class QWidget;

namespace corvala::qtprint {

// Moves the window so that its outer frame is centred on the primary screen:
// left = (screen width - width) / 2, top = (screen height - height) / 2.
void CentreOnScreen(QWidget* window);

}  // namespace corvala::qtprint
