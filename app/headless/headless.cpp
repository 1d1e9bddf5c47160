#include "headless/headless.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "qel/error.h"
#include "qel/keyed_data_file.h"
#include "qel/safe_write.h"
#include "qel/text.h"

namespace corvala::headless {

Answer CancelAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::OK:
      return Answer::OK;
    case Buttons::YesNo:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

namespace {

// Message texts break lines with LF or CR LF; a terminal wants LF.
std::string ForTerminal(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::ostream& StderrDialogs::Out() {
  return out_ != nullptr ? *out_ : std::cerr;
}

Answer StderrDialogs::MessageBox(const std::string& text, Buttons buttons, Icon,
                                 const std::string& title) {
  Out() << "Corvala: " << title << ": " << ForTerminal(text) << '\n';
  Out().flush();
  return CancelAnswer(buttons);
}

std::int16_t StderrDialogs::ShowErrorWarning(const std::string& message) {
  Out() << "Corvala: Error Warning: " << ForTerminal(message) << '\n';
  return 0;
}

KeyedFileSettings::KeyedFileSettings(std::string path, Warn warn)
    : path_(std::move(path)), warn_(std::move(warn)) {}

void KeyedFileSettings::CreateWithCrLf(const std::string& section) {
  std::error_code ec;
  if (std::filesystem::exists(path_, ec) || ec) return;
  // A new file starts with its first section line ended by CR LF; the keyed data file keeps the
  // line ends a file has, so every line of the preferences file ends in CR LF. Under the file's
  // lock: a file another run made meanwhile is left as it is.
  qel::SafeWrite create(path_, {.source = "KeyedFileSettings.Write", .lock = true});
  if (!create.Existed()) create.Replace("[" + section + "]\r\n");
}

std::string KeyedFileSettings::Read(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) {
  try {
    qel::KeyedDataFile file;
    file.SetFileName(path_);
    return file.ReadValue(section, key, defaultValue);
  } catch (const std::exception&) {
    if (!warnedRead_) {
      warnedRead_ = true;
      qel::QelError error = qel::CurrentError();
      if (warn_) {
        warn_("The preferences file " + path_ + " cannot be read (" + error.description() +
              ").\nThe program uses its default settings.");
      }
    }
    return defaultValue;
  }
}

void KeyedFileSettings::Write(const std::string& section, const std::string& key,
                              const std::string& value) {
  try {
    CreateWithCrLf(section);
    qel::KeyedDataFile file;
    file.SetFileName(path_);
    file.WriteValue(section, key, value);
  } catch (const std::exception&) {
    qel::QelError error = qel::CurrentError();
    if (warn_) {
      warn_("The setting \"" + key + "\" cannot be stored in the preferences file " + path_ + " (" +
            error.description() + ").");
    }
  }
}

std::int32_t SystemClock::SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double fraction = duration<double>(now.time_since_epoch()).count() - static_cast<double>(t);
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
  auto rounded = static_cast<std::int32_t>(std::lround(seconds));
  return rounded >= 86400 ? rounded - 86400 : rounded;
}

void ExitProcess::Exit(int status) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::exit(status);
}

Platform SilentPlatform::Bundle() {
  Platform p;
  p.dialogs = &dialogs;
  p.clock = &clock;
  p.process = &process;
  return p;
}

}  // namespace corvala::headless
