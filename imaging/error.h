#pragma once

#include <stdexcept>
#include <string>

namespace rumora {

// The one failure type of the core. Its message says what failed, in words a user can read;
// the window shows it in the application's error report.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace rumora
