#include "library_info.h"

namespace fennick {

void RaiseAgain(std::string_view label, std::string_view separator, bool describe) {
  qel::QelError inner = qel::CurrentError();
  if (inner.source().empty()) separator = {};
  if (describe) throw inner.ReraisedDescribed(label, separator, std::string(kFileDescription));
  throw inner.Reraised(label, separator);
}

}  // namespace fennick
