#include "core/preferences.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/file_operations.h"
#include "core/internal.h"
#include "headless/headless.h"
#include "qel/error.h"
#include "qel/safe_write.h"
#include "qel/textnum.h"

namespace corvala::Preferences {

namespace {

using detail::Dlg;
using detail::PrefRead;
using detail::PrefWrite;

// A number from a stored value: the invariant syntax ("10.5") the program writes, or a number
// as the user's locale writes it.
std::optional<double> StoredNumber(const std::string& text) {
  std::string_view t = text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec == std::errc() && end == t.data() + t.size() && !t.empty() && std::isfinite(value)) {
    return value;
  }
  if (qel::IsNumeric(text)) {
    try {
      return qel::ToDouble(text);
    } catch (const std::exception&) {
    }
  }
  return std::nullopt;
}

void BadValue(App& app, const std::string& section, const std::string& key,
              const std::string& value, const std::string& fallback) {
  Dlg(app).MessageBox("The value '" + value + "' of \"" + key + "\" in section \"" + section +
                          "\" of the preferences file " + app.state.IniFile +
                          " is not a number.\nThe program uses " + fallback + " instead.",
                      Buttons::OK, Icon::Exclamation, "WARNING");
}

Printer* ThePrinter(App& app) {
  return app.platform.reports != nullptr ? &app.platform.reports->ThePrinter() : nullptr;
}

// The font dialog part of GetFonts; false when the dialog was cancelled.
bool AskReportFont(App& app) {
  AppState& st = app.state;
  Dlg(app).MessageBox(
      "We strongly recommend the use of either the COURIER NEW or the COURIER font. Other fonts "
      "might not align properly, or may cause an error 380.",
      Buttons::OK, Icon::Exclamation, "WARNING!");
  if (app.platform.reports == nullptr) return false;
  FontRequest request;
  request.name = st.ReportFontName;
  request.size = st.ReportFontSize;
  request.bold = true;
  std::optional<FontChoice> choice = app.platform.reports->AskFont(request);
  // A cancelled dialog gives back what it was given.
  FontChoice chosen = choice ? *choice : FontChoice{st.ReportFontName, st.ReportFontSize};
  st.ReportFontName = chosen.name.empty() ? std::string("Courier New") : chosen.name;
  st.ReportFontSize = chosen.size < 5 ? 10.0f : chosen.size;
  return choice.has_value();
}

bool Is380(const qel::QelError& error) {
  return error.number() == qel::err::kInvalidProperty;
}

}  // namespace

std::string SizeText(float size) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, size);
  if (ec != std::errc()) return "10";
  return std::string(buffer, end);
}

std::string PreferencesFilePath(const App& app) {
  namespace fs = std::filesystem;
  std::string name = app.programFileStem + ".ini";
  fs::path path = detail::UserFolder("XDG_CONFIG_HOME", ".config") / name;
  std::error_code ec;
  fs::path old = app.programFolder / name;
  if (!fs::exists(path, ec) && fs::is_regular_file(old, ec)) {
    // An older installation kept its preferences beside the program: they become the user's
    // (unless another run took them over meanwhile). What cannot be copied stays behind.
    try {
      std::ifstream in(old, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      qel::SafeWrite copy(path.string(), {.source = "PreferencesFilePath", .lock = true});
      if (in && !copy.Existed()) copy.Replace(bytes);
    } catch (const qel::QelError&) {
    }
  }
  return path.string();
}

void GetIni(App& app) {
  AppState& st = app.state;
  // Error 380 skips the step that failed; any other failure ends the run.
  auto step = [&](auto&& body) {
    try {
      body();
    } catch (const std::exception&) {
      qel::QelError error = qel::CurrentError();
      if (!Is380(error)) ReportFatalError(app, error, "GetIni");
    }
  };
  try {
    st.IniFile = PreferencesFilePath(app);
    if (app.platform.preferences == nullptr) {
      app.ownedPreferences = std::make_unique<headless::KeyedFileSettings>(
          st.IniFile, [&app](const std::string& message) { detail::Warn(app, message); });
      app.platform.preferences = app.ownedPreferences.get();
    }
  } catch (const std::exception&) {
    // No folder for the user's preferences: this run goes with the defaults.
    detail::Warn(app, qel::CurrentError().description() +
                          "\nThe preferences cannot be kept; the program uses its defaults.");
  }
  step([&] {
    std::string hide = PrefRead(app, "Hide Error Msg", "380", "0");
    std::optional<double> value = StoredNumber(hide);
    if (!value) BadValue(app, "Hide Error Msg", "380", hide, "0");
    st.HideErrorMsg = value && *value != 0;
  });
  step([&] {
    // The folder last used while it still exists, else the user's documents folder.
    st.DataFilePath = PrefRead(app, "Data Files", "Data File Path", "");
    st.DataFilePath = FileOperations::DataFolder(app);
    PrefWrite(app, "Data Files", "Data File Path", st.DataFilePath);
  });
  try {
    if (Printer* printer = ThePrinter(app)) st.SavedPrinterFont = printer->Font();
  } catch (const std::exception&) {
  }
  step([&] { st.ReportFontName = PrefRead(app, "User Preferences", "Font Name", "Courier New"); });
  step([&] {
    std::string size = PrefRead(app, "User Preferences", "Font Size", "10");
    std::optional<double> value = StoredNumber(size);
    if (!value || *value <= 0 || *value > 1000) {
      BadValue(app, "User Preferences", "Font Size", size, "the size 10");
      st.ReportFontSize = 10;
    } else {
      st.ReportFontSize = static_cast<float>(*value);
    }
  });
  st.DebugFileName = "DEBUG.ZOV";
  step([&] { MRU::MaintMRUList(app, ""); });
}

void GetFonts(App& app) {
  Trap([&] { AskReportFont(app); },
       [&](const qel::QelError& error) { ReportFatalError(app, error, "GetFonts"); });
}

void SetNewFont(App& app, const std::string& name, float size, Bool16 bold, FontRecord& saved) {
  AppState& st = app.state;
  Trap(
      [&] {
        Printer* printer = ThePrinter(app);
        if (printer == nullptr) return;
        saved = printer->Font();
        std::string n = name;
        float s = size;
        Bool16 b = bold;
        for (;;) {
          try {
            printer->SetFontName(n);
            printer->SetFontSize(s);
            printer->SetFontBold(b != 0);
            return;
          } catch (const std::exception&) {
            qel::QelError error = qel::CurrentError();
            if (!Is380(error)) throw;
          }
          std::string warning = "This program requires the " + n + " (" + SizeText(s) + " point) " +
                                "font, which is not available on this system. Please install " +
                                "this font. The program will use the default font for this " +
                                "system. Report formatting may be affected. As an " +
                                "alternative, the program will let you select a font.";
          st.HideErrorMsg =
              ShowErrorWarning(app, warning, "SetNewFont", st.HideErrorMsg ? kTrue : kFalse) != 0;
          if (!AskReportFont(app)) {
            // No other font chosen: the printer keeps the font it had.
            try {
              printer->SetFontName(saved.name);
              printer->SetFontSize(saved.size);
              printer->SetFontBold(saved.bold != 0);
            } catch (const std::exception&) {
            }
            return;
          }
          n = st.ReportFontName;
          s = st.ReportFontSize;
          b = st.ReportFontBold;
        }
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "SetNewFont()"); });
}

void SetOldFont(App& app, const FontRecord& saved) {
  AppState& st = app.state;
  Trap(
      [&] {
        Printer* printer = ThePrinter(app);
        if (printer == nullptr) return;
        try {
          printer->SetFontName(saved.name);
          printer->SetFontSize(saved.size);
          printer->SetFontBold(saved.bold != 0);
        } catch (const std::exception&) {
          qel::QelError error = qel::CurrentError();
          if (!Is380(error)) throw;
          std::string message = "The " + saved.name + " (" + SizeText(saved.size) +
                                " point) font, could not be located. " +
                                "The program will use the default font. " +
                                "Report formatting may be affected.";
          st.HideErrorMsg =
              ShowErrorWarning(app, message, "SetNewFont", st.HideErrorMsg ? kTrue : kFalse) != 0;
        }
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "SetOldFont()"); });
}

WindowRect LoadMainWindowPosition(App& app) {
  WindowRect rect;
  SettingsStore* store = app.platform.userSettings;
  if (store == nullptr) return rect;
  auto read = [&](const char* key, double& field) {
    std::string fallback = SizeText(static_cast<float>(field));
    if (std::optional<double> value = StoredNumber(store->Read("Settings", key, fallback))) {
      field = *value;
    }
  };
  read("MainLeft", rect.left);
  read("MainTop", rect.top);
  read("MainWidth", rect.width);
  read("MainHeight", rect.height);
  return rect;
}

void SaveMainWindowPosition(App& app, const WindowRect& rect, bool minimized) {
  SettingsStore* store = app.platform.userSettings;
  if (minimized || store == nullptr) return;
  store->Write("Settings", "MainLeft", SizeText(static_cast<float>(rect.left)));
  store->Write("Settings", "MainTop", SizeText(static_cast<float>(rect.top)));
  store->Write("Settings", "MainWidth", SizeText(static_cast<float>(rect.width)));
  store->Write("Settings", "MainHeight", SizeText(static_cast<float>(rect.height)));
}

void WriteReportFont(App& app) {
  PrefWrite(app, "User Preferences", "Font Name", app.state.ReportFontName);
  PrefWrite(app, "User Preferences", "Font Size", SizeText(app.state.ReportFontSize));
}

}  // namespace corvala::Preferences
