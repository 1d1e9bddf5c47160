#include "qt/icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource file is compiled into a static library, so its data are registered by hand.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace corvala {

namespace {

QIcon SvgIcon(const QString& name, std::initializer_list<int> sizes) {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (int size : sizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon ProgramIcon() {
  static const QIcon icon = SvgIcon(QStringLiteral("program"), {16, 32, 64, 128});
  return icon;
}

QIcon CommandIcon(const QString& name) {
  return SvgIcon(name, {16, 24, 32, 48});
}

}  // namespace corvala
