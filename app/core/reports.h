// The reports of the program: the four report texts, the report run and the print manager.
#pragma once

#include "core/print_manager.h"
#include "core/report_run.h"
#include "core/withholding_reports.h"
