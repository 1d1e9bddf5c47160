#include "qt/ip_support.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>
#include <vector>

#include "core/app.h"
#include "core/errors.h"
#include "core/file_operations.h"
#include "ostrand/paycheck.h"
#include "ostrand/wh_bus_obj.h"
#include "qel/error.h"
#include "qel/format.h"
#include "qel/textnum.h"
#include "qt/control_extend.h"
#include "qt/frm_ip.h"

namespace corvala::IPSupport {

namespace {

// The parent window for the form: the main window when the platform's view is a widget.
QWidget* MainWidget(App& app) {
  return dynamic_cast<QWidget*>(app.platform.window);
}

// Why an input box's value cannot go into a computation: empty when it can.
QString InputProblem(frmIP& form, QLineEdit* box) {
  const std::string value = ostrand::GetProperty(form.Object(), frmIP::PropertyOf(box));
  const QString caption = form.InputCaption(box);
  if (!qel::IsNumeric(value)) {
    return frmIP::tr("\"%1\" needs to be a number. Enter a number there to see the result.")
        .arg(caption);
  }
  try {
    qel::FormattedValue(value, 2);
  } catch (const qel::QelError& error) {
    if (error.number() != qel::err::kOverflow) throw;
    return frmIP::tr("\"%1\" is too large. Enter a smaller number there to see the result.")
        .arg(caption);
  }
  // No entry of a Form W-4 or a pay record is below zero.
  if (qel::ToDouble(value) < 0) {
    return frmIP::tr("\"%1\" cannot be negative. Enter zero or more there to see the result.")
        .arg(caption);
  }
  return {};
}

// Why the case's tax year cannot be computed: empty when its tables are installed.
QString YearProblem(ostrand::_WhBusObj& object) {
  const std::vector<int> years = ostrand::AvailableYears();
  if (std::binary_search(years.begin(), years.end(), CaseYear(object))) return {};
  return frmIP::tr(
             "There are no withholding tables for the tax year %1. Choose a tax year from "
             "the list to see the result.")
      .arg(QString::fromStdString(object.sTaxYear()));
}

// Errors a computation raises for inputs it cannot work with; the program goes on.
bool IsInputError(long number) {
  return number == qel::err::kOverflow || number == qel::err::kTypeMismatch ||
         number == qel::err::kDivisionByZero;
}

// Recomputes one computation and shows `result()` in `label`. An input of the computation that
// is not a number (an empty one included), negative or too large for an amount clears the label;
// so does a result too large to compute or a tax year without tables. Returns what the help box
// is to say about it, empty when the label shows a result. Other failures go to the error
// reporter.
template <typename Compute, typename Result>
QString ShowResult(App& app, frmIP& form, QLabel* label, int tab, const char* location,
                   Compute compute, Result result) {
  ostrand::_WhBusObj& object = form.Object();
  QString problem;
  Trap(
      [&] {
        problem = YearProblem(object);
        for (QLineEdit* box : form.NumberInputs(tab)) {
          if (!problem.isEmpty()) break;
          problem = InputProblem(form, box);
        }
        if (!problem.isEmpty()) {
          label->clear();
          return;
        }
        try {
          compute(object);
          label->setText(QString::fromStdString(result(object)));
        } catch (const std::exception&) {
          const qel::QelError error = qel::CurrentError();
          if (!IsInputError(error.number())) throw;
          label->clear();
          problem = error.number() == qel::err::kTypeMismatch
                        ? frmIP::tr("An input of this computation needs to be a number.")
                        : frmIP::tr(
                              "The numbers of this computation are too large to work out "
                              "a result. Enter smaller numbers to see the result.");
        }
      },
      [&](const qel::QelError& error) {
        label->clear();
        ReportThroughReporter(app, error, location);
      });
  return problem;
}

const char* TabName(int tab) {
  switch (tab) {
    case 1:
      return "W-2 Proforma";
    case 2:
      return "Targeted Withholding";
    case 3:
      return "Percentage Method";
    default:
      return "INVALID TAB";
  }
}

}  // namespace

int CaseYear(ostrand::_WhBusObj& object) {
  QString year = QString::fromStdString(object.sTaxYear());
  return year.remove(',').toInt();
}

void InitIP(App& app) {
  Trap(
      [&] {
        frmIP form(app, MainWidget(app));
        form.LoadFromObject();
        ControlExtend::CenterForm(&form);
        SetInitialIP(app, form);
        form.FocusFirstInput();
        form.exec();
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "InitIP"); });
}

void SetInitialIP(App& app, frmIP& form) {
  Trap([&] { form.lblFilename->setText(QString::fromStdString(app.state.CurrentFile)); },
       [&](const qel::QelError& error) { ReportFatalError(app, error, "SetInitialIP"); });
}

bool ChkTab(App& app, frmIP& form) {
  return Trap(
      [&] {
        const int tab = form.vsTabIP->currentIndex();
        if (tab == 0) return false;
        if (tab == static_cast<int>(form.Object().enumComputationType()) + 1) return false;
        const std::string chosen = form.Object().GetCompType();
        const std::string text =
            "You selected the " + chosen + " computation (General tab). " + "You are at the " +
            TabName(tab) + " input tab. Please either " + "go to the " + chosen +
            " input tab, or change " +
            "the type of computation that you want to make at the General tab.";
        app.platform.dialogs->MessageBox(text, Buttons::OK, Icon::Exclamation, "WARNING!");
        return true;
      },
      [&](const qel::QelError& error) { ReportThroughReporter(app, error, "IPSupport.ChkTab"); });
}

void SyncFrequency(App& app, frmIP& form, int index) {
  Trap(
      [&] {
        for (QListWidget* list :
             {form.lstFreqPercent, form.lstFreqProforma, form.lstFreqTargeted}) {
          const QSignalBlocker quiet(list);  // the list the user clicked recomputes, once
          if (list->currentRow() != index) list->setCurrentRow(index);
        }
        form.Object().enumFrequency(static_cast<ostrand::eFrequency>(index));
      },
      [&](const qel::QelError& error) {
        ReportThroughReporter(app, error, "IPSupport.SyncFrequency");
      });
}

QString ShowProformaWH(App& app, frmIP& form) {
  return ShowResult(
      app, form, form.lblAnnualWHProforma, 1, "IPSupport.ShowProformaWH",
      [](ostrand::_WhBusObj& o) { o.CalcProforma(); },
      [](ostrand::_WhBusObj& o) { return o.sPerYrWHProforma(); });
}

QString ShowTargeted(App& app, frmIP& form) {
  return ShowResult(
      app, form, form.lblWHShort, 2, "IPSupport.ShowTargeted",
      [](ostrand::_WhBusObj& o) { o.CalcTargeted(); },
      [](ostrand::_WhBusObj& o) { return o.sShortage4Yr(); });
}

QString ShowPercentMethWH(App& app, frmIP& form) {
  return ShowResult(
      app, form, form.lblWHPercentMethod, 3, "IPSupport.ShowPercentMethWH",
      [](ostrand::_WhBusObj& o) { o.CalcWH4Paycheck(); },
      [](ostrand::_WhBusObj& o) { return o.sWHPercentMethod(); });
}

bool GetInputs(App& app, frmIP& form) {
  return Trap(
      [&] {
        ostrand::_WhBusObj& object = form.Object();
        const int choice = form.lstComputationChoice->currentRow();
        if (choice >= 0) object.enumComputationType(static_cast<ostrand::eComputationType>(choice));
        QListWidget* frequency = nullptr;
        QCheckBox* unmarried = nullptr;
        switch (object.enumComputationType()) {
          case ostrand::proforma:
            frequency = form.lstFreqProforma;
            unmarried = form.chkUnmarriedProforma;
            break;
          case ostrand::targeted:
            frequency = form.lstFreqTargeted;
            unmarried = form.chkUnmarriedTargeted;
            break;
          case ostrand::Percent:
            frequency = form.lstFreqPercent;
            unmarried = form.chkUnmarriedPercent;
            break;
        }
        if (frequency && frequency->currentRow() >= 0) {
          object.enumFrequency(static_cast<ostrand::eFrequency>(frequency->currentRow()));
        }
        if (unmarried) object.IsSingle(unmarried->isChecked());
        if (!FileOperations::Save(app, app.state.CurrentFile)) return false;
        if (!YearProblem(object).isEmpty()) return true;  // saved; no tables to compute with
        try {
          object.CalcWH4Paycheck();
        } catch (const qel::QelError& error) {
          // Wages that are not a number or too large: the inputs are saved; there is just no
          // result yet.
          if (!IsInputError(error.number())) throw;
        }
        return true;
      },
      [&](const qel::QelError& error) { ReportFatalError(app, error, "GetInputs"); });
}

}  // namespace corvala::IPSupport
