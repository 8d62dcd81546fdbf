#pragma once

namespace rumora {

// The shared progress bar as long pixel loops see it: they set the maximum to their number of
// steps, the minimum to 0, advance the position once per row or column and put it back to 0.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetMax(int value) = 0;
  virtual void SetMin(int value) = 0;
  virtual void SetPosition(int value) = 0;
};

// For callers that show no progress.
class NoProgress final : public Progress {
 public:
  void SetMax(int) override {}
  void SetMin(int) override {}
  void SetPosition(int) override {}
};

}  // namespace rumora
