// Numbered errors with a source trail, shared by both engine libraries and the program.
//
// An error carries a run-time error number, a source text and a description. As an error
// travels outwards, every trapped operation raises it again with its own name in front of the
// source, so the source reads as a trail of operations, outermost first, one per line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qel {

// Run-time error numbers used across the system.
namespace err {
inline constexpr long kInvalidCall = 5;           // Invalid procedure call or argument
inline constexpr long kOverflow = 6;              // Overflow
inline constexpr long kDivisionByZero = 11;       // Division by zero
inline constexpr long kTypeMismatch = 13;         // Type mismatch
inline constexpr long kFileNotFound = 53;         // File not found
inline constexpr long kPathFileAccess = 75;       // Path/File access error
inline constexpr long kInvalidProperty = 380;     // Invalid property value
inline constexpr long kNotSupported = 445;        // Object doesn't support this action
inline constexpr long kCannotCreateObject = 429;  // Can't create object
inline constexpr long kNoSuchMember = 438;        // Object doesn't support this property or method
inline constexpr long kTooManyChars = 10001;      // Too many characters entered.
inline constexpr long kNeedsNumber = 10002;       // This item needs to be a number.
inline constexpr long kNeedsFilename = 10003;     // Need to specify a filename.
}  // namespace err

// The standard description of a run-time error number ("Type mismatch" for 13, ...);
// "Application-defined or object-defined error" for numbers it does not know.
std::string StandardDescription(long number);

class QelError : public std::runtime_error {
 public:
  // Description defaults to the standard description of the number.
  QelError(long number, std::string source);
  QelError(long number, std::string source, std::string description);

  long number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }

  // The two re-raise forms. Both keep the number and put `label` and `separator` in front of
  // the source ("WhBusObj.Calculate" + "\r" + previous source); onto an empty source the label
  // alone, so a trail never ends in an empty line.
  //   Reraised:             keeps the description.
  //   ReraisedDescribed:    replaces the description (by the library's file description).
  QelError Reraised(std::string_view label, std::string_view separator) const;
  QelError ReraisedDescribed(std::string_view label, std::string_view separator,
                             std::string description) const;

 private:
  static std::string What(long number, const std::string& source, const std::string& description);

  long number_;
  std::string source_;
  std::string description_;
};

// Turns whatever is in flight inside a catch (...) block into a QelError: a QelError as it is,
// std::bad_alloc as 7 "Out of memory", any other std::exception as 5 with its what() text.
QelError CurrentError();

// Runs `body`; an error escaping it is raised again with `label` + `separator` in front of the
// source, keeping the description.
template <typename F>
decltype(auto) TrapKeep(std::string_view label, std::string_view separator, F&& body) {
  try {
    return body();
  } catch (...) {
    throw CurrentError().Reraised(label, separator);
  }
}

// As TrapKeep, but the description is replaced by `description`.
template <typename F>
decltype(auto) TrapDescribe(std::string_view label, std::string_view separator,
                            std::string_view description, F&& body) {
  try {
    return body();
  } catch (...) {
    throw CurrentError().ReraisedDescribed(label, separator, std::string(description));
  }
}

}  // namespace qel
