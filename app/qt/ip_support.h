// The routines behind the input form: showing it, the tab check, the frequency lists kept in
// step, the three recomputations and the gathering of the inputs on OK.
#pragma once

#include <QString>

namespace ostrand {
class _WhBusObj;
}

namespace corvala {

struct App;
class frmIP;

namespace IPSupport {

// The case's tax year as a number; 0 when its text is not a whole number.
int CaseYear(ostrand::_WhBusObj& object);

// Loads the form, centres it, shows the file name and shows it modally.
void InitIP(App& app);
// Shows CurrentFile in lblFilename.
void SetInitialIP(App& app, frmIP& form);
// Warns when the current tab does not belong to the chosen computation; true when it warned.
bool ChkTab(App& app, frmIP& form);
// Puts the three frequency lists on `index` and sets enumFrequency to it.
void SyncFrequency(App& app, frmIP& form, int index);
// Recompute one computation and show its main result on its tab. When an input of that
// computation is not a number, negative or too large, a result is too large to work out, or the
// tax year's tables are not installed, the result label is cleared and the returned text says
// why (for the help box); empty when the label shows a result. The user goes on in every case.
QString ShowProformaWH(App& app, frmIP& form);
QString ShowTargeted(App& app, frmIP& form);
QString ShowPercentMethWH(App& app, frmIP& form);
// OK: takes the chosen computation's frequency and marital status into the object, saves the
// inputs to the current file (asking for a name first when the case has none) and runs the
// percentage method once (not for a tax year without tables). Returns false when the user cancelled
// the naming of the file, so the form stays open.
bool GetInputs(App& app, frmIP& form);

}  // namespace IPSupport
}  // namespace corvala
