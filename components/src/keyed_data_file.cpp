#include "qel/keyed_data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>

#include "data_file.h"
#include "ini_document.h"
#include "qel/error.h"
#include "qel/safe_write.h"
#include "qel/text.h"

namespace qel {

namespace {

constexpr const char* kReadSource = "KeyedDataFile.ReadValue";
constexpr const char* kWriteSource = "KeyedDataFile.WriteValue";

[[noreturn]] void Fail(long number, const char* source, std::string description) {
  throw QelError(number, source, std::move(description));
}

// Names may not hold what would end or change the meaning of their line.
void CheckName(std::string_view what, std::string_view name) {
  std::string_view t = qel::TrimBlanks(name);
  std::string quoted = "\"" + std::string(name) + "\"";
  if (t.empty())
    Fail(err::kInvalidCall, kWriteSource, "The " + std::string(what) + " name is empty");
  if (name.find_first_of(std::string_view("]=\r\n\0", 5)) != std::string_view::npos)
    Fail(err::kInvalidCall, kWriteSource,
         "The " + std::string(what) + " name " + quoted +
             " holds \"]\", \"=\", a line break or a NUL character, which a data file cannot hold");
  if (t.front() == ';' || t.front() == '[')
    Fail(err::kInvalidCall, kWriteSource,
         "The " + std::string(what) + " name " + quoted + " begins with \";\" or \"[\"");
}

void CheckValue(const std::string& path, std::string_view key, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    Fail(err::kInvalidCall, kWriteSource,
         "The value of \"" + std::string(key) + "\" for " + path +
             " holds a line break or a NUL character, which a data file cannot hold");
}

std::string KeyLine(std::string_view key, std::string_view value) {
  return std::string(qel::TrimBlanks(key)) + "=" + ini::EncodeValue(value);
}

}  // namespace

void KeyedDataFile::SetFileName(std::string_view path) {
  path_ = std::string(path);
  read_ = false;
  snapshot_.reset();
  problem_.clear();
}

void KeyedDataFile::TakeSnapshot() const {
  files::Reading reading = files::Read(path_);
  snapshot_ = std::move(reading.file);
  problem_ = reading.status == files::Reading::kFailed ? "The file " + path_ + " " + reading.problem
                                                       : std::string();
  read_ = true;
}

std::string KeyedDataFile::ReadValue(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
  if (!read_) TakeSnapshot();
  if (!problem_.empty()) Fail(err::kPathFileAccess, kReadSource, problem_);
  if (snapshot_ == nullptr) return std::string(defaultValue);
  const files::Section* s = snapshot_->Find(section);
  if (s == nullptr) return std::string(defaultValue);
  auto it = s->values.find(qel::FoldedAscii(qel::TrimBlanks(key)));
  return it == s->values.end() ? std::string(defaultValue) : it->second;
}

namespace {

// The line of section/key that a reading takes (the first section of that name, its first key of
// that name), or null.
const ini::Line* FindKey(const ini::Document& doc, std::string_view section, std::string_view key) {
  const std::string foldedSection = qel::FoldedAscii(qel::TrimBlanks(section));
  const std::string foldedKey = qel::FoldedAscii(qel::TrimBlanks(key));
  bool inSection = false;
  for (const ini::Line& l : doc.lines) {
    if (l.kind == ini::Line::kSection) {
      if (inSection) return nullptr;
      inSection = qel::FoldedAscii(l.name) == foldedSection;
    } else if (inSection && l.kind == ini::Line::kKey && qel::FoldedAscii(l.name) == foldedKey) {
      return &l;
    }
  }
  return nullptr;
}

// Sets section/key to value in the document: replaces the key's line in the first section of that
// name, or adds the key at the end of that section, or adds the section at the end of the file.
void SetInDocument(ini::Document& doc, std::string_view section, std::string_view key,
                   std::string_view value) {
  std::string foldedSection = qel::FoldedAscii(qel::TrimBlanks(section));
  std::string foldedKey = qel::FoldedAscii(qel::TrimBlanks(key));
  std::string newLine = KeyLine(key, value);
  // The first section of that name holds the value; a later duplicate is never read.
  std::size_t sectionAt = doc.lines.size();
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind == ini::Line::kSection &&
        qel::FoldedAscii(doc.lines[i].name) == foldedSection) {
      sectionAt = i;
      break;
    }
  }
  ini::Line keyLine;
  keyLine.kind = ini::Line::kKey;
  keyLine.text = newLine;
  keyLine.name = std::string(qel::TrimBlanks(key));
  keyLine.value = std::string(value);
  if (sectionAt == doc.lines.size()) {
    ini::Line header;
    header.kind = ini::Line::kSection;
    header.name = std::string(qel::TrimBlanks(section));
    header.text = "[" + header.name + "]";
    doc.lines.push_back(header);
    doc.lines.push_back(keyLine);
  } else {
    std::size_t insertAt = sectionAt + 1;
    bool replaced = false;
    for (std::size_t i = sectionAt + 1; i < doc.lines.size(); ++i) {
      const ini::Line& l = doc.lines[i];
      if (l.kind == ini::Line::kSection) break;
      if (l.kind != ini::Line::kKey) continue;
      if (qel::FoldedAscii(l.name) == foldedKey) {
        // The key keeps the spelling it has in the file.
        std::string text = KeyLine(l.name, value);
        std::string name = l.name;
        doc.lines[i] = keyLine;
        doc.lines[i].text = std::move(text);
        doc.lines[i].name = std::move(name);
        replaced = true;
        break;
      }
      insertAt = i + 1;
    }
    if (!replaced)
      doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
  }
}

}  // namespace

void KeyedDataFile::WriteValue(std::string_view section, std::string_view key,
                               std::string_view value) {
  CheckName("section", section);
  CheckName("key", key);
  CheckValue(path_, key, value);
  Record({std::string(section), std::string(key), std::string(value), {}, {}});
}

void KeyedDataFile::WriteValueIfFileHas(std::string_view section, std::string_view key,
                                        std::string_view value, std::string_view whenSection,
                                        std::string_view whenKey) {
  CheckName("section", section);
  CheckName("key", key);
  CheckValue(path_, key, value);
  Record({std::string(section), std::string(key), std::string(value), std::string(whenSection),
          std::string(whenKey)});
}

void KeyedDataFile::Record(Change change) {
  if (updating_) {
    pending_.push_back(std::move(change));
    return;
  }
  Apply({&change, 1});
}

void KeyedDataFile::BeginUpdate() {
  updating_ = true;
  pending_.clear();
}

void KeyedDataFile::CommitUpdate() {
  updating_ = false;
  std::vector<Change> changes = std::move(pending_);
  pending_.clear();
  Apply(changes);
}

void KeyedDataFile::Apply(std::span<const Change> changes) {
  if (changes.empty()) return;
  // From reading the file to replacing it, no other save of the file runs.
  SafeWrite save(path_, {.source = kWriteSource, .verb = "save", .lock = true});
  files::RawFile raw = files::ReadBounded(save.FolderFd(), save.Name());
  if (raw.status != files::RawFile::kRead && raw.status != files::RawFile::kMissing)
    Fail(err::kPathFileAccess, kWriteSource,
         "The file " + path_ + " " + files::Problem(raw) + "; it was left unchanged");
  const bool exists = save.Existed() && raw.status == files::RawFile::kRead;
  ini::Document doc;
  std::size_t badLine = 0;
  std::string reason;
  if (exists && !ini::Parse(raw.bytes, doc, badLine, reason))
    Fail(err::kPathFileAccess, kWriteSource,
         "The file " + path_ + " is not a file of sections and keys (line " +
             std::to_string(badLine) + ": " + reason + "); it was left unchanged");

  // Conditions are taken from the file as it was found, before any change.
  std::vector<bool> wanted;
  for (const Change& c : changes) {
    const ini::Line* present =
        c.whenSection.empty() ? nullptr : FindKey(doc, c.whenSection, c.whenKey);
    wanted.push_back(c.whenSection.empty() || (present != nullptr && !present->value.empty()));
  }
  for (std::size_t i = 0; i < changes.size(); ++i)
    if (wanted[i]) SetInDocument(doc, changes[i].section, changes[i].key, changes[i].value);
  std::string updated = ini::Serialize(doc);
  // The same value again leaves the file (and its time stamp) alone.
  if (exists && updated == raw.bytes) return;
  if (updated.size() > files::kMaxFileBytes)
    Fail(err::kPathFileAccess, kWriteSource,
         "Cannot save " + path_ + ": the file would be larger than " +
             std::string(files::kMaxFileText) + "; it was left unchanged");
  save.Replace(updated);
  if (files::IsTableFile(path_) || files::IsTableFile(save.Name())) files::ForgetTableFiles();
  read_ = false;
  snapshot_.reset();
  problem_.clear();
}

}  // namespace qel
