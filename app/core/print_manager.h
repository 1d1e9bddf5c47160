// The print manager: page headings, page footers and page breaks that never split a chunk that
// fits a page.
#pragma once

#include <cstdint>
#include <string>

#include "core/app.h"

namespace corvala::PrintManager {

std::int16_t nLinesPerPage(App& app);
void PrintHeadings(App& app, const std::string& heading1, const std::string& heading2,
                   const std::string& heading3);
// n: a chunk of 1 to 40 lines, -200 end of report, -100 end of print job.
void PrnManager2(App& app, std::int16_t n, const std::string& heading1, const std::string& heading2,
                 const std::string& heading3);
void PrnPgNo(App& app, std::int16_t& counter);

}  // namespace corvala::PrintManager
