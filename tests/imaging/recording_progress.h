#pragma once

#include <string>
#include <vector>

#include "imaging/progress.h"

namespace rumora::testing {

// Records every progress call as "max W", "min 0" or "pos X", and the pumps as "pump".
struct RecordingProgress final : Progress {
  std::vector<std::string> calls;
  void SetMax(int value) override { calls.push_back("max " + std::to_string(value)); }
  void SetMin(int value) override { calls.push_back("min " + std::to_string(value)); }
  void SetPosition(int value) override { calls.push_back("pos " + std::to_string(value)); }
  void Pump() { calls.push_back("pump"); }
};

// The calls a loop of `steps` steps makes: max, min, position 0, each step's position (followed
// by a pump when `pumps`), position 0.
inline std::vector<std::string> ExpectedProgress(int steps, bool pumps) {
  std::vector<std::string> calls = {"max " + std::to_string(steps), "min 0", "pos 0"};
  for (int step = 0; step < steps; ++step) {
    calls.push_back("pos " + std::to_string(step));
    if (pumps) calls.push_back("pump");
  }
  calls.push_back("pos 0");
  return calls;
}

}  // namespace rumora::testing
