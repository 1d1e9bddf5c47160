#include "qel/module_path.h"

#include <dlfcn.h>
#include <link.h>

#include <system_error>

#include "qel/error.h"

namespace qel {

std::filesystem::path ModuleFile(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
    throw QelError(err::kInvalidCall, "ModuleFile", "The address belongs to no loaded module");
  std::filesystem::path file;
  // The main program has an empty name in the link map; its path is the process's own image.
  bool mainProgram = map != nullptr && (map->l_name == nullptr || map->l_name[0] == '\0');
  if (mainProgram || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
    std::error_code ec;
    file = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw QelError(err::kPathFileAccess, "ModuleFile", "Cannot find the program's file");
  } else {
    file = info.dli_fname;
  }
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(file, ec);
  return ec ? std::filesystem::absolute(file) : canonical;
}

std::filesystem::path ModuleFolder(const void* address) {
  return ModuleFile(address).parent_path();
}

}  // namespace qel
