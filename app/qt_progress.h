#pragma once

#include <QProgressBar>
#include <algorithm>

#include "imaging/progress.h"

namespace rumora {

// Long pixel loops report to the window's progress bar through this.
class QtProgress final : public Progress {
 public:
  explicit QtProgress(QProgressBar* bar) : bar_(bar) {}
  void SetMax(int value) override { bar_->setMaximum(value); }
  void SetMin(int value) override { bar_->setMinimum(value); }
  // The bar clamps a position outside its range instead of ignoring it.
  void SetPosition(int value) override {
    bar_->setValue(std::clamp(value, bar_->minimum(), bar_->maximum()));
  }

 private:
  QProgressBar* bar_;
};

}  // namespace rumora
