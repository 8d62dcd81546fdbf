#include "app/batch_progress_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/platform.h"

namespace rumora {
namespace {

QString NameOf(const std::string& path) {
  return QFileInfo(QFile::decodeName(path.c_str())).fileName();
}

}  // namespace

// Hands what the batch's threads hear over to the dialog's thread.
class BatchProgressDialog::Observer final : public BatchObserver {
 public:
  explicit Observer(BatchProgressDialog& dialog) : dialog_(dialog) {}
  void PhotoStarted(std::size_t index) override {
    QMetaObject::invokeMethod(
        &dialog_, [this, index] { dialog_.ShowStarted(index); }, Qt::QueuedConnection);
  }
  void PhotoDone(std::size_t index, const BatchPhotoResult&) override {
    QMetaObject::invokeMethod(
        &dialog_, [this, index] { dialog_.ShowDone(index); }, Qt::QueuedConnection);
  }

 private:
  BatchProgressDialog& dialog_;
};

BatchProgressDialog::BatchProgressDialog(BatchJob job, Platform& platform, QWidget* parent)
    : QDialog(parent), job_(std::move(job)), platform_(platform) {
  setWindowTitle(QStringLiteral("まとめて処理"));
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, static_cast<int>(job_.photos.size()));
  bar_->setValue(0);
  bar_->setFormat(QStringLiteral("%v / %m 枚"));
  details_ = new QPlainTextEdit(this);
  details_->setReadOnly(true);
  details_->hide();
  layout->addWidget(status_);
  layout->addWidget(bar_);
  layout->addWidget(details_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  stop_ = new QPushButton(QStringLiteral("中止"), this);
  stop_->setToolTip(QStringLiteral("処理中の写真を仕上げてから止めます"));
  openFolder_ = new QPushButton(QStringLiteral("出力フォルダを開く"), this);
  openFolder_->setToolTip(QStringLiteral("出品画像を保存したフォルダを開きます"));
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  openFolder_->hide();
  close_->hide();
  for (QPushButton* button : {stop_, openFolder_, close_}) buttons->addWidget(button);
  layout->addLayout(buttons);
  connect(stop_, &QPushButton::clicked, this, [this] { reject(); });
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  connect(openFolder_, &QPushButton::clicked, this, [this] {
    const QString folder = QFile::decodeName(job_.recipe.outputFolder.c_str());
    platform_.ShellOpen(this, folder, folder);
  });
  resize(520, 160);

  status_->setText(QStringLiteral("0 / %1 枚").arg(job_.photos.size()));
  observer_ = std::make_unique<Observer>(*this);
  thread_ = std::thread([this] {
    std::vector<BatchPhotoResult> results;
    QString stoppedBy;
    try {
      results = RunBatch(job_, *observer_, cancel_, BatchWorkers());
    } catch (const std::exception&) {
      stoppedBy = QStringLiteral("メモリが足りなくなりました");
    }
    QMetaObject::invokeMethod(
        this,
        [this, results = std::move(results), stoppedBy]() mutable {
          results_ = std::move(results);
          ShowSummary(stoppedBy);
        },
        Qt::QueuedConnection);
  });
}

BatchProgressDialog::~BatchProgressDialog() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}

void BatchProgressDialog::reject() {
  if (finished_) {
    QDialog::reject();
    return;
  }
  cancel_ = true;
  stop_->setEnabled(false);
  status_->setText(QStringLiteral("中止しています… 処理中の写真を仕上げています"));
}

void BatchProgressDialog::ShowStarted(std::size_t index) {
  if (cancel_ || finished_) return;
  status_->setText(QStringLiteral("%1 / %2 枚目: %3")
                       .arg(index + 1)
                       .arg(job_.photos.size())
                       .arg(NameOf(job_.photos[index])));
}

void BatchProgressDialog::ShowDone(std::size_t index) {
  done_ = std::max(done_, index + 1);
  bar_->setValue(static_cast<int>(done_));
}

void BatchProgressDialog::ShowSummary(const QString& stoppedBy) {
  thread_.join();
  finished_ = true;
  std::size_t made = 0;
  QStringList lines;
  for (const BatchPhotoResult& result : results_) {
    if (result.Made()) {
      ++made;
      if (result.lostData) {
        lines << QStringLiteral("%1: 一部が壊れていたため、読めなかった部分を埋めて作りました")
                     .arg(NameOf(result.photo));
      }
    } else {
      lines << QStringLiteral("%1: %2").arg(NameOf(result.photo),
                                            QString::fromStdString(result.failure));
    }
  }
  const std::size_t failed = results_.size() - made;
  QString summary = QStringLiteral("%1 枚の出品画像を作りました。").arg(made);
  if (failed > 0) summary += QStringLiteral("%1 枚は作れませんでした。").arg(failed);
  if (results_.size() < job_.photos.size()) {
    summary += QStringLiteral("中止したため %1 枚は作っていません。")
                   .arg(job_.photos.size() - results_.size());
  }
  if (!stoppedBy.isEmpty()) {
    summary = QStringLiteral("処理を続けられませんでした (%1)。").arg(stoppedBy) + summary;
  }
  status_->setText(summary);
  bar_->setValue(static_cast<int>(results_.size()));
  if (!lines.isEmpty()) {
    details_->setPlainText(lines.join(QLatin1Char('\n')));
    details_->show();
    resize(width(), 320);
  }
  stop_->hide();
  openFolder_->setVisible(made > 0);
  close_->show();
  close_->setDefault(true);
  close_->setFocus();
}

}  // namespace rumora
