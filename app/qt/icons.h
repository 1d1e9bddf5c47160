// The program's pictures: SVG files under app/qt/icons/ (and the desktop icon), compiled into the
// program as the Qt resource file icons.qrc and drawn at the sizes the window system asks for.
#pragma once

#include <QIcon>
#include <QString>

namespace corvala {

QIcon ProgramIcon();
// The picture of a command by its file name in the resource folder ":/icons/" without the ".svg"
// ("new", "open", "save", "input", "preview", "print", "help"); an empty icon when there is no
// such picture.
QIcon CommandIcon(const QString& name);

}  // namespace corvala
