// Where a shared library or program lives at run time.
#pragma once

#include <filesystem>

namespace qel {

// The folder of the module (program or shared library) that contains `address`; pass the address
// of a function of the module asking. Does not depend on the working directory.
std::filesystem::path ModuleFolder(const void* address);

// The full path of that module's file.
std::filesystem::path ModuleFile(const void* address);

}  // namespace qel
