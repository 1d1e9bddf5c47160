// A program state for the Qt tests: the real withholding object, scripted dialogs, in-memory
// settings, a fixed clock and a process whose Exit throws, in a temporary program folder.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <string>

#include "core/app.h"
#include "corvala_testing/doubles.h"
#include "headless/headless.h"

namespace corvala::test {

struct TestProgram {
  TestProgram();
  ~TestProgram();

  std::string Path(const std::string& name) const;  // a file in the temporary folder

  QTemporaryDir dir;
  App app;
  headless::ScriptedDialogs dialogs;
  headless::MemorySettings preferences;
  headless::MemorySettings userSettings;
  headless::FixedClock clock;
  headless::ThrowingProcess process;
};

// Lets queued events run.
void Pump();

// Gives `widget` the keyboard focus, as a user moving there would.
void FocusOn(QWidget* widget);

}  // namespace corvala::test
