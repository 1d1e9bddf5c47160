#include "qtprint/screen_centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace corvala::qtprint {

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  // The frame's margins are known once the platform window exists; without them the inner
  // area is centred.
  window->winId();
  QMargins frame;
  if (const QWindow* handle = window->windowHandle(); handle != nullptr) {
    frame = handle->frameMargins();
  }
  const int width = window->width() + frame.left() + frame.right();
  const int height = window->height() + frame.top() + frame.bottom();
  const QRect area = screen->geometry();
  window->move(area.left() + (area.width() - width) / 2, area.top() + (area.height() - height) / 2);
}

}  // namespace corvala::qtprint
