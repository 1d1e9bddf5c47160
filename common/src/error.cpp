#include "qel/error.h"

#include <new>
#include <utility>

namespace qel {

std::string StandardDescription(long number) {
  switch (number) {
    case 5:
      return "Invalid procedure call or argument";
    case 6:
      return "Overflow";
    case 7:
      return "Out of memory";
    case 9:
      return "Subscript out of range";
    case 11:
      return "Division by zero";
    case 13:
      return "Type mismatch";
    case 52:
      return "Bad file name or number";
    case 53:
      return "File not found";
    case 57:
      return "Device I/O error";
    case 61:
      return "Disk full";
    case 70:
      return "Permission denied";
    case 75:
      return "Path/File access error";
    case 76:
      return "Path not found";
    case 91:
      return "Object variable or With block variable not set";
    case 380:
      return "Invalid property value";
    case 429:
      return "Can't create object";
    case 438:
      return "Object doesn't support this property or method";
    case 445:
      return "Object doesn't support this action";
    case 482:
      return "Printer error";
    case err::kTooManyChars:
      return "Too many characters entered.";
    case err::kNeedsNumber:
      return "This item needs to be a number.";
    case err::kNeedsFilename:
      return "Need to specify a filename.";
    default:
      return "Application-defined or object-defined error";
  }
}

QelError::QelError(long number, std::string source)
    : QelError(number, std::move(source), StandardDescription(number)) {}

QelError::QelError(long number, std::string source, std::string description)
    : std::runtime_error(What(number, source, description)),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

std::string QelError::What(long number, const std::string& source, const std::string& description) {
  std::string text = "Error " + std::to_string(number) + ": " + description;
  if (!source.empty()) text += " [" + source + "]";
  return text;
}

namespace {

// `label` in front of the trail `source`; an empty trail adds no separator, so the trail never
// ends in an empty line.
std::string Prepended(std::string_view label, std::string_view separator,
                      const std::string& source) {
  std::string trail(label);
  if (!source.empty()) {
    trail += separator;
    trail += source;
  }
  return trail;
}

}  // namespace

QelError QelError::Reraised(std::string_view label, std::string_view separator) const {
  return QelError(number_, Prepended(label, separator, source_), description_);
}

QelError QelError::ReraisedDescribed(std::string_view label, std::string_view separator,
                                     std::string description) const {
  return QelError(number_, Prepended(label, separator, source_), std::move(description));
}

QelError CurrentError() {
  try {
    throw;
  } catch (const QelError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return QelError(7, "", StandardDescription(7));
  } catch (const std::exception& e) {
    return QelError(err::kInvalidCall, "", e.what());
  } catch (...) {
    return QelError(err::kInvalidCall, "");
  }
}

}  // namespace qel
