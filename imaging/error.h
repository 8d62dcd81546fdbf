#pragma once

#include <stdexcept>
#include <string>

namespace rumora {

// The one failure type of the core. Its message says what failed, in words a user can read;
// the window shows it in the application's error report.
// A failure of a system call also keeps its errno value, so that the window can name the reason
// in the user's language.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, int systemCode = 0)
      : std::runtime_error(message), systemCode_(systemCode) {}
  // The errno value of the failed system call, or 0.
  int SystemCode() const { return systemCode_; }

 private:
  int systemCode_;
};

}  // namespace rumora
