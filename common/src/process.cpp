#include "qel/process.h"

#include <csignal>

namespace qel {

void TreatFileSizeLimitAsWriteError() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace qel
