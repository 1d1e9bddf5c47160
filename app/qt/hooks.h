// Automatic runs for screenshots and start-up timing. With CORVALA_SCREENSHOT_DIR set, the
// module answers the about box and the start-up choice by itself, saves pictures of its forms
// into that folder and ends; with CORVALA_STARTUP_EXIT set, it answers them likewise and ends as
// soon as the main window is on the screen, printing the time it took. Without either variable
// nothing here has any effect.
#pragma once

#include <QString>

class QWidget;

namespace corvala {

struct App;

bool AutoRun();              // either variable is set
QString ScreenshotFolder();  // empty when no screenshots are wanted
bool StartupExit();

// Saves a picture of `widget` as <folder>/<name>.png when screenshots are wanted.
void Snap(QWidget* widget, const QString& name);

// Called once the main window is shown: runs the screenshot tour or the start-up exit.
void RunAutoCourse(App& app, QWidget* mainWindow, long long startMs);

}  // namespace corvala
