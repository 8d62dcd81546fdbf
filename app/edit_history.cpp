#include "app/edit_history.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

namespace rumora {
namespace {

std::uint64_t BytesOf(const EditHistory::Step& step) { return step.picture.HeldBytes(); }

bool IsPhotoStep(const EditHistory::Step& step) { return step.kind != EditHistory::Kind::kOutput; }

void ReserveOneMore(std::vector<EditHistory::Step>& steps) {
  if (steps.size() == steps.capacity()) steps.reserve(std::max<std::size_t>(8, 2 * steps.size()));
}

}  // namespace

std::uint64_t EditHistory::DefaultBudget() {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return kGiB;
  return std::min(kGiB,
                  static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4);
}

void EditHistory::Reserve() { ReserveOneMore(undo_); }

void EditHistory::Record(Step step) noexcept {
  DropRedo();
  if (!CanKeep(BytesOf(step))) {
    if (IsPhotoStep(step)) ForgetPhotoSteps();
    return;
  }
  DropOldestUntil(BytesOf(step));
  Put(undo_, std::move(step));
}

void EditHistory::ForgetPhotoSteps() noexcept {
  for (auto* steps : {&undo_, &redo_}) {
    for (const Step& step : *steps) {
      if (IsPhotoStep(step)) kept_ -= step.countedBytes;
    }
    std::erase_if(*steps, IsPhotoStep);
  }
}

EditHistory::Step* EditHistory::Next(Direction direction) {
  const bool undoing = direction == Direction::kUndo;
  std::vector<Step>& from = undoing ? undo_ : redo_;
  if (from.empty()) return nullptr;
  ReserveOneMore(undoing ? redo_ : undo_);
  return &from.back();
}

void EditHistory::Passed(Direction direction) noexcept {
  const bool undoing = direction == Direction::kUndo;
  std::vector<Step>& from = undoing ? undo_ : redo_;
  Step step = std::move(from.back());
  from.pop_back();
  kept_ -= step.countedBytes;
  // A state that cannot fit has made every other step give way already.
  if (Fit(BytesOf(step))) Put(undoing ? redo_ : undo_, std::move(step));
}

void EditHistory::Put(std::vector<Step>& steps, Step step) noexcept {
  step.countedBytes = BytesOf(step);
  kept_ += step.countedBytes;
  steps.push_back(std::move(step));  // within the capacity Reserve or Next made
}

void EditHistory::DropOldestUntil(std::uint64_t bytes) noexcept {
  auto end = undo_.begin();
  for (; end != undo_.end() && kept_ + bytes > budget_; ++end) kept_ -= end->countedBytes;
  undo_.erase(undo_.begin(), end);
}

void EditHistory::DropRedo() noexcept {
  for (const Step& step : redo_) kept_ -= step.countedBytes;
  redo_.clear();
}

// The oldest steps, then the furthest redo steps make way.
bool EditHistory::Fit(std::uint64_t bytes) noexcept {
  DropOldestUntil(bytes);
  auto end = redo_.begin();
  for (; end != redo_.end() && kept_ + bytes > budget_; ++end) kept_ -= end->countedBytes;
  redo_.erase(redo_.begin(), end);
  return kept_ + bytes <= budget_;
}

}  // namespace rumora
