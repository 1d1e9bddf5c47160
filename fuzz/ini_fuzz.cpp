// Feeds arbitrary bytes as a data or table file to both components: reading must either work or
// raise a numbered error, never crash, and a value written must read back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/tax_table_store.h"

namespace {

const std::string& Folder() {
  // Left allocated on purpose: the exit handler below still needs it after statics are gone.
  static const std::string* folder = [] {
    // A memory file system where there is one: every write is flushed, which a disk makes slow.
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "qel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    auto* path = new std::string(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return path;
  }();
  return *folder;
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void Expect(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Not named as a table file, which would be read once and kept: every input is read afresh.
  const std::string path = Folder() + "/input.dat";
  WriteInput(path, data, size);

  const char* sections[] = {"1 allowance", "Single wk", "Common", "A", ""};
  const char* keys[] = {"wk", "Bracket1", "Version", "a", ""};
  bool malformed = false;
  for (const char* section : sections) {
    for (const char* key : keys) {
      try {
        qel::KeyedDataFile f;
        f.SetFileName(path);
        std::string v = f.ReadValue(section, key, "\x01");
        Expect(v.find('\n') == std::string::npos && v.find('\0') == std::string::npos);
      } catch (const qel::QelError& e) {
        Expect(e.number() == qel::err::kPathFileAccess);
        malformed = true;
      }
    }
    try {
      qel::TaxTableStore s;
      s.SetTableFile(path);
      s.SelectSection(section);
      s.LoadSection();
      Expect(!s.Brackets().empty());
      for (const char* amount : {"-1", "0", "476.92", "1000000"}) {
        try {
          qel::Currency tax = s.LookupTax(qel::Cur(amount));
          if (!(s.Brackets().front().over < qel::Cur(amount))) Expect(tax == qel::Currency());
        } catch (const qel::QelError& e) {
          Expect(e.number() == qel::err::kOverflow);
        }
      }
    } catch (const qel::QelError& e) {
      Expect(e.number() == qel::err::kInvalidCall || e.number() == qel::err::kPathFileAccess);
    }
  }

  // A write into a sound file reads back.
  if (!malformed) {
    try {
      qel::KeyedDataFile w;
      w.SetFileName(path);
      w.WriteValue("Fuzz Section", "Key", "  value  ");
      qel::KeyedDataFile r;
      r.SetFileName(path);
      Expect(r.ReadValue("fuzz section", "KEY", "") == "  value  ");
    } catch (const qel::QelError& e) {
      // Only a file system failure may stop it.
      Expect(e.number() == qel::err::kPathFileAccess);
    }
  }
  return 0;
}
