#include "app/edit_history.h"

#include <unistd.h>

#include <algorithm>

namespace rumora {
namespace {

std::uint64_t BytesOf(const EditHistory::Step& step) { return step.picture.SizeInBytes(); }

bool IsPhotoStep(const EditHistory::Step& step) { return step.kind != EditHistory::Kind::kOutput; }

}  // namespace

std::uint64_t EditHistory::DefaultBudget() {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return kGiB;
  return std::min(kGiB,
                  static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4);
}

bool EditHistory::MakeRoomFor(std::uint64_t bytes) {
  for (const Step& step : redo_) kept_ -= BytesOf(step);
  redo_.clear();
  if (bytes > budget_) {
    ForgetPhotoSteps();
    return false;
  }
  DropOldestUntil(bytes);
  return true;
}

void EditHistory::DropOldestUntil(std::uint64_t bytes) {
  while (!undo_.empty() && kept_ + bytes > budget_) {
    kept_ -= BytesOf(undo_.front());
    undo_.pop_front();
  }
}

void EditHistory::Record(Step step) {
  for (const Step& done : redo_) kept_ -= BytesOf(done);
  redo_.clear();
  DropOldestUntil(BytesOf(step));
  Put(undo_, std::move(step));
}

void EditHistory::ForgetPhotoSteps() {
  for (auto* steps : {&undo_, &redo_}) {
    for (const Step& step : *steps) {
      if (IsPhotoStep(step)) kept_ -= BytesOf(step);
    }
    std::erase_if(*steps, IsPhotoStep);
  }
}

std::optional<EditHistory::Step> EditHistory::Take(std::deque<Step>& steps) {
  if (steps.empty()) return std::nullopt;
  Step step = std::move(steps.back());
  steps.pop_back();
  kept_ -= BytesOf(step);
  return step;
}

void EditHistory::Put(std::deque<Step>& steps, Step step) {
  kept_ += BytesOf(step);
  steps.push_back(std::move(step));
}

// The state a step hands back may be larger than the one it took (a rotated photo is): the
// oldest steps, then the furthest redo steps make way for it. One that cannot fit at all is not
// kept; the steps beyond it could no longer be reached in order and go with it.
bool EditHistory::Fit(std::uint64_t bytes) {
  DropOldestUntil(bytes);
  while (!redo_.empty() && kept_ + bytes > budget_) {
    kept_ -= BytesOf(redo_.front());
    redo_.pop_front();
  }
  return kept_ + bytes <= budget_;
}

void EditHistory::Undone(Step step) {
  if (Fit(BytesOf(step))) Put(redo_, std::move(step));
}

void EditHistory::Redone(Step step) {
  if (Fit(BytesOf(step))) {
    Put(undo_, std::move(step));
  } else if (IsPhotoStep(step)) {
    ForgetPhotoSteps();
  }
}

}  // namespace rumora
