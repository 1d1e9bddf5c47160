// Pictures drawn by the program itself, so that it needs no icon theme or image plugin: the
// program icon and the seven toolbar pictures.
#pragma once

#include <QIcon>
#include <QString>

namespace corvala {

QIcon ProgramIcon();
// The toolbar picture for a button key: "New", "Open", "Save", "Input", "Preview", "Print",
// "Help". An unknown key gives an empty icon.
QIcon ToolbarIcon(const QString& key);

}  // namespace corvala
