#include "core/print_manager.h"

#include <cmath>

#include "core/errors.h"
#include "core/internal.h"

namespace corvala::PrintManager {

namespace {

Printer& ThePrinter(App& app) {
  if (app.platform.reports == nullptr) {
    throw qel::QelError(91, "", "There is no printer.");
  }
  return app.platform.reports->ThePrinter();
}

template <typename Body>
auto Fatal(App& app, const char* location, Body&& body) {
  return Trap(std::forward<Body>(body),
              [&](const qel::QelError& error) { ReportFatalError(app, error, location); });
}

}  // namespace

std::int16_t nLinesPerPage(App& app) {
  Printer& printer = ThePrinter(app);
  long pageHeight = std::lrint(printer.PageHeight());
  try {
    printer.SetFontName(app.state.ReportFontName);
    printer.SetFontSize(app.state.ReportFontSize);
  } catch (const std::exception&) {
    // A font the printer cannot use: measure the font it has.
    if (qel::CurrentError().number() != qel::err::kInvalidProperty) throw;
  }
  long textHeight = std::lrint(printer.TextHeight("nLinesPerPage"));
  if (textHeight == 0) throw qel::QelError(qel::err::kDivisionByZero, "PrintManager.nLinesPerPage");
  long lines = pageHeight / textHeight;
  if (lines > 32767 || lines < -32768) throw qel::QelError(qel::err::kOverflow, "nLinesPerPage");
  return static_cast<std::int16_t>(lines);
}

void PrintHeadings(App& app, const std::string& heading1, const std::string& heading2,
                   const std::string& heading3) {
  Fatal(app, "PrintHeadings", [&] {
    Printer& printer = ThePrinter(app);
    for (int i = 0; i < 6; ++i) printer.Print(detail::kCrLf);
    printer.PrintLineAt(10, heading1);
    printer.PrintLineAt(10, heading2);
    printer.PrintLineAt(10, heading3);
    printer.Print(detail::kCrLf);
  });
}

void PrnPgNo(App& app, std::int16_t& counter) {
  Fatal(app, "PrnPgNo()", [&] {
    Printer& printer = ThePrinter(app);
    std::int16_t lines = nLinesPerPage(app);
    while (counter < lines - 6) {
      printer.Print(detail::kCrLf);
      ++counter;
    }
    // The page number prints with a blank in place of its sign.
    printer.PrintLineAt(3, "Page  " + std::to_string(printer.Page()));
    printer.NewPage();
  });
}

void PrnManager2(App& app, std::int16_t n, const std::string& heading1, const std::string& heading2,
                 const std::string& heading3) {
  Fatal(app, "PrnManager2()", [&] {
    std::int16_t lines = nLinesPerPage(app);
    std::int16_t& counter = app.state.PageLineCount;
    if (n == -200) {
      PrnPgNo(app, counter);
      counter = 0;
    } else if (n == -100) {
      if (counter != 0) {
        PrnPgNo(app, counter);
        counter = 0;
      }
      ThePrinter(app).EndDoc();
    } else if (n >= 1 && n <= 40) {
      if (counter == 0) {
        PrintHeadings(app, heading1, heading2, heading3);
        counter = 13;
      }
      // A page that holds a chunk already breaks before the next one that does not fit; a page
      // with only its headings takes the chunk (the report run splits a chunk that no page holds).
      if (counter > 13 && counter + n >= lines - 6) {
        PrnPgNo(app, counter);
        PrintHeadings(app, heading1, heading2, heading3);
        counter = 13;
      }
      counter = static_cast<std::int16_t>(counter + n);
    } else {
      detail::Dlg(app).MessageBox(std::to_string(n) + " lines passed to PrnManager2()." +
                                      " Please use between 1 and " + "40.",
                                  Buttons::OK, Icon::Critical, "Error!");
    }
  });
}

}  // namespace corvala::PrintManager
