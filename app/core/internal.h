// Small helpers shared by the program's modules (not part of any module's interface).
#pragma once

#include <string>
#include <string_view>

#include "core/app.h"
#include "qel/error.h"

namespace corvala::detail {

inline constexpr const char* kCrLf = "\r\n";

// The platform's dialogs; the standard-error dialogs when none are installed.
Dialogs& Dlg(App& app);
// The current withholding object; error 91 when there is none.
ostrand::_WhBusObj& Obj(App& app);

// The preferences file, when one is open: reads give the default, writes do nothing otherwise.
std::string PrefRead(App& app, const std::string& section, const std::string& key,
                     const std::string& defaultValue);
void PrefWrite(App& app, const std::string& section, const std::string& key,
               const std::string& value);

// A simple warning box: OK, exclamation icon, title "WARNING".
void Warn(App& app, const std::string& text);

// Whether the current user may create files in `folder` (an existing file in it: may write it).
bool FolderWritable(const std::filesystem::path& folder, const std::filesystem::path& file = {});
// The user's home folder: HOME, else the folder of the user's account; error 76 when neither is
// known.
std::filesystem::path HomeFolder();
// The user's documents folder: $XDG_DOCUMENTS_DIR, else ~/Documents, else the home folder; empty
// when no home folder is known.
std::string DocumentsFolder();
// The per-user folder `kind` ("XDG_CONFIG_HOME" with ".config", "XDG_DATA_HOME" with
// ".local/share") plus "qel-paystave", created as needed (mode 0700: the user's alone); error 76
// when no home folder is known.
std::filesystem::path UserFolder(const char* variable, const char* fallbackBelowHome);

}  // namespace corvala::detail
