// A small shared library that asks for its own file, as the engine libraries do.
#include <string>

#include "qel/module_path.h"

extern "C" __attribute__((visibility("default"))) const char* QelModuleProbeFile() {
  static const std::string file =
      qel::ModuleFile(reinterpret_cast<const void*>(&QelModuleProbeFile)).string();
  return file.c_str();
}
