// Set-up that every program of the system does first in main().
#pragma once

namespace qel {

// A write past the file-size limit (ulimit -f) fails with EFBIG, as a write to a full disk fails
// with ENOSPC, instead of ending the process: the writer then rolls back and reports it like any
// other write error. Ignores SIGXFSZ; call it before anything is written.
void TreatFileSizeLimitAsWriteError();

}  // namespace qel
