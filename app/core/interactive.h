// The interactive half of the program lives in a module of its own, "libCorvalaQt.so" in the
// program folder, loaded only when a run needs windows. A silent run never loads it, so it
// starts no graphical session and touches no window system.
#pragma once

namespace corvala {

struct App;

inline constexpr const char* kInteractiveModule = "libCorvalaQt.so";
inline constexpr const char* kInteractiveEntry = "CorvalaRunInteractive";

// The module's entry point: creates the application object and the Qt platform, installs it in
// app.platform, runs the interactive start-up course (MainMod::RunInteractive) and then the event
// loop. Returns the process exit status.
using RunInteractiveFn = int (*)(App& app, int argc, char** argv);

}  // namespace corvala

// Exported by libCorvalaQt.so:
//   extern "C" int CorvalaRunInteractive(corvala::App& app, int argc, char** argv);
