// Every program and library of the build looks for libraries in its own folder only: each entry of
// its run-time search path (RPATH, RUNPATH) starts at $ORIGIN. An absolute build path outlives the
// build folder, and an empty or relative entry means the folder the program is started in, where
// anyone may have put a library of the same name.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct SearchPaths {
  std::vector<std::string> entries;  // every RPATH and RUNPATH entry, split at ':'
};

template <typename T>
bool ReadAt(const std::string& image, std::uint64_t offset, T& value) {
  if (offset > image.size() || image.size() - offset < sizeof(T)) return false;
  std::memcpy(&value, image.data() + offset, sizeof(T));
  return true;
}

// The search paths of an ELF image in the machine's byte order, read through its section headers:
// the dynamic section and the string table it links to. Empty when the image is not a program or
// shared library; an error text when it is one but cannot be read.
template <typename Ehdr, typename Shdr, typename Dyn>
std::optional<SearchPaths> ReadSearchPaths(const std::string& image, std::string& error) {
  Ehdr header{};
  if (!ReadAt(image, 0, header) || (header.e_type != ET_EXEC && header.e_type != ET_DYN)) {
    return std::nullopt;
  }
  SearchPaths paths;
  auto section = [&](std::size_t index, Shdr& out) {
    return header.e_shentsize == sizeof(Shdr) &&
           ReadAt(image, header.e_shoff + index * sizeof(Shdr), out);
  };
  for (std::size_t i = 0; i < header.e_shnum; ++i) {
    Shdr dynamic{}, strings{};
    if (!section(i, dynamic)) {
      error = "section header " + std::to_string(i) + " lies outside the file";
      return paths;
    }
    if (dynamic.sh_type != SHT_DYNAMIC) continue;
    if (!section(dynamic.sh_link, strings) || strings.sh_offset > image.size()) {
      error = "the dynamic section's string table lies outside the file";
      return paths;
    }
    for (std::uint64_t at = dynamic.sh_offset;
         at + sizeof(Dyn) <= dynamic.sh_offset + dynamic.sh_size; at += sizeof(Dyn)) {
      Dyn entry{};
      if (!ReadAt(image, at, entry)) {
        error = "the dynamic section lies outside the file";
        return paths;
      }
      if (entry.d_tag == DT_NULL) break;
      if (entry.d_tag != DT_RPATH && entry.d_tag != DT_RUNPATH) continue;
      std::uint64_t text = strings.sh_offset + entry.d_un.d_val;
      std::size_t end = image.find('\0', text);
      if (text >= image.size() || end == std::string::npos) {
        error = "a search path lies outside the file";
        return paths;
      }
      std::string list = image.substr(text, end - text);
      for (std::size_t start = 0;;) {
        std::size_t colon = list.find(':', start);
        paths.entries.push_back(list.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
      }
    }
  }
  return paths;
}

std::optional<SearchPaths> SearchPathsOf(const fs::path& file, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  // The identification and the file type, the same in both classes: object files are skipped
  // unread.
  char magic[EI_NIDENT + 2] = {};
  if (!in.read(magic, sizeof magic) || std::memcmp(magic, ELFMAG, SELFMAG) != 0)
    return std::nullopt;
  std::uint16_t type = 0;
  std::memcpy(&type, magic + EI_NIDENT, sizeof type);
  if (type != ET_EXEC && type != ET_DYN) return std::nullopt;
  in.seekg(0);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (magic[EI_CLASS] == ELFCLASS64)
    return ReadSearchPaths<Elf64_Ehdr, Elf64_Shdr, Elf64_Dyn>(image, error);
  if (magic[EI_CLASS] == ELFCLASS32)
    return ReadSearchPaths<Elf32_Ehdr, Elf32_Shdr, Elf32_Dyn>(image, error);
  error = "neither a 32-bit nor a 64-bit ELF file";
  return SearchPaths{};
}

// "$ORIGIN", "${ORIGIN}" and folders below or beside them; nothing else.
bool OriginRelative(const std::string& entry) {
  for (const char* origin : {"$ORIGIN", "${ORIGIN}"}) {
    const std::size_t n = std::strlen(origin);
    if (entry.compare(0, n, origin) == 0 && (entry.size() == n || entry[n] == '/')) return true;
  }
  return false;
}

TEST(SearchPath, EveryBuiltProgramAndLibraryLooksInItsOwnFolderOnly) {
  std::size_t checked = 0;
  bool sawThisProgram = false;
  const fs::path self = fs::canonical("/proc/self/exe");
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(
           QEL_BUILD_DIR, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    std::string error;
    std::optional<SearchPaths> paths = SearchPathsOf(it->path(), error);
    if (!paths) continue;
    ++checked;
    if (fs::equivalent(it->path(), self, ec)) sawThisProgram = true;
    EXPECT_EQ(error, "") << it->path();
    for (const std::string& entry : paths->entries) {
      EXPECT_TRUE(OriginRelative(entry))
          << it->path().string() << " looks for libraries in \"" << entry << '"';
    }
  }
  EXPECT_FALSE(ec) << ec.message();
  EXPECT_TRUE(sawThisProgram) << "the test program itself was not among the " << checked
                              << " ELF files of " << QEL_BUILD_DIR;
}

}  // namespace
