// Saving and loading the inputs of one scenario: section "Scenario" + ColumnIdx of a keyed data
// file, one key per stored property (properties.cpp). Results are not stored; Calculate
// recomputes them. Numbers are kept in the file syntax ("." decimal point, "," thousands)
// whatever the locale; the properties show and take them in the locale's syntax.
#include <filesystem>

#include "calcs.h"
#include "properties.h"
#include "qel/keyed_data_file.h"
#include "qel/textnum.h"

namespace fennick::Persist {
namespace {

using qel::QelError;

std::string SectionName(std::int32_t column) {
  return "Scenario" + std::to_string(column);
}

void RequireName(std::string_view path) {
  if (path.empty()) {
    throw QelError(qel::err::kNeedsFilename, std::string(kErrorSource),
                   "Need to specify a filename.");
  }
}

std::string DefaultText(const Property& p) {
  // A file without a year holds a 2005 scenario, whatever years are installed.
  if (p.kind == PropertyKind::kYear) return "2005";
  return std::string(p.fileDefault);
}

}  // namespace

void Save(std::string_view path, iTop& top) {
  Keep("Persist.Save", [&] {
    RequireName(path);
    qel::KeyedDataFile file;
    file.SetFileName(path);
    std::string section = SectionName(top.columnIdx);
    // One atomic replacement of the file: a save is all or nothing.
    file.BeginUpdate();
    for (const Property& p : Properties()) {
      if (p.fileKey.empty()) continue;
      std::string text = p.get(top);
      file.WriteValue(section, p.fileKey, IsNumber(p.kind) ? qel::LocaleToFileText(text) : text);
    }
    file.CommitUpdate();
  });
}

void Fetch(std::string_view path, iTop& top) {
  Keep("Persist.Fetch", [&] {
    RequireName(path);
    // Only a regular file is read: a folder, pipe or device could block the read or never end.
    std::error_code ec;
    auto status = std::filesystem::status(std::filesystem::path(path), ec);
    if (!std::filesystem::exists(status)) {
      throw QelError(qel::err::kFileNotFound, std::string(kErrorSource),
                     "File not found: " + std::string(path));
    }
    if (!std::filesystem::is_regular_file(status)) {
      throw QelError(qel::err::kPathFileAccess, std::string(kErrorSource),
                     "Not a scenario file (a folder, pipe or device): " + std::string(path));
    }
    qel::KeyedDataFile file;
    file.SetFileName(path);
    std::string section = SectionName(top.columnIdx);
    for (const Property& p : Properties()) {
      if (p.fileKey.empty()) continue;
      std::string text = file.ReadValue(section, p.fileKey, DefaultText(p));
      if (p.let) p.let(top, IsNumber(p.kind) ? qel::FileToLocaleText(text) : text);
    }
  });
}

}  // namespace fennick::Persist

namespace fennick {

bool ScenarioExists(std::string_view path, std::int32_t column) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return false;
  qel::KeyedDataFile file;
  file.SetFileName(path);
  std::string section = Persist::SectionName(column);
  constexpr std::string_view kAbsent = "\x01";
  for (const Property& p : Properties()) {
    if (!p.fileKey.empty() && file.ReadValue(section, p.fileKey, kAbsent) != kAbsent) return true;
  }
  return false;
}

}  // namespace fennick
