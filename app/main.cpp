// Corvala: the withholding calculator program. A silent run ("/silent") stays in this process
// with the headless platform; an interactive run loads the Qt module from the program folder.
#include <clocale>

#include "core/main_mod.h"
#include "headless/headless.h"
#include "qel/module_path.h"
#include "qel/process.h"

namespace {
void Anchor() {}
}  // namespace

int main(int argc, char** argv) {
  qel::TreatFileSizeLimitAsWriteError();
  std::setlocale(LC_ALL, "");
  corvala::headless::SilentPlatform silent;
  corvala::App app;
  const void* self = reinterpret_cast<const void*>(&Anchor);
  app.programFolder = qel::ModuleFolder(self);
  app.programFileStem = qel::ModuleFile(self).stem().string();
  app.platform = silent.Bundle();
  return corvala::MainMod::Main(app, argc, argv);
}
