#pragma once

#include <QDialog>
#include <atomic>
#include <thread>
#include <vector>

#include "batch/batch_runner.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace rumora {

class Platform;

// Runs a batch on threads of its own while it shows how far it has come (the photo count and a
// bar) with a button that stops it after the photos under way; at the end it shows what was made
// and every photo that failed with its reason. The window stays responsive meanwhile. Closing the
// dialog while the batch runs stops it the same way; the dialog closes once the batch has ended.
class BatchProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  BatchProgressDialog(BatchJob job, Platform& platform, QWidget* parent);
  ~BatchProgressDialog() override;

  bool Finished() const { return finished_; }
  const std::vector<BatchPhotoResult>& Results() const { return results_; }

 protected:
  void reject() override;

 private:
  class Observer;
  void ShowStarted(std::size_t index);
  void ShowDone(std::size_t index);
  // What was made and what failed; `stoppedBy` says why the batch stopped early, if it did.
  void ShowSummary(const QString& stoppedBy);

  const BatchJob job_;
  Platform& platform_;
  QLabel* status_;
  QProgressBar* bar_;
  QPlainTextEdit* details_;
  QPushButton* stop_;
  QPushButton* openFolder_;
  QPushButton* close_;
  std::atomic<bool> cancel_{false};
  bool finished_ = false;
  std::size_t done_ = 0;
  std::vector<BatchPhotoResult> results_;
  std::unique_ptr<Observer> observer_;
  std::thread thread_;
};

}  // namespace rumora
