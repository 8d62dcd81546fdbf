#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

#include "app/platform.h"

namespace rumora {

// A scripted desktop: dialogs answer from queues, messages and shell calls are recorded.
class FakePlatform final : public Platform {
 public:
  struct Message {
    QString kind;  // "warning", "error" or "about"
    QString caption;
    QString text;
  };
  struct DialogCall {
    QString filterDescription;
    QString filterPattern;
    QString initialFolder;
  };

  QString executableFolder;
  // Dialog answers in order; an empty name is a cancelled dialog, as is an unscripted one.
  QStringList openAnswers;
  QStringList saveAnswers;
  // Answers of the folder dialog (an empty name is a cancel); the several-files dialog is always
  // cancelled.
  QStringList folderAnswers;
  std::vector<DialogCall> openCalls;
  std::vector<DialogCall> saveCalls;
  std::vector<Message> messages;
  QStringList shellOpened;  // "file|workingFolder"
  bool shellOpenSucceeds = true;
  // Answers to the save question in order; an unscripted question is cancelled.
  QList<SaveAnswer> saveQuestionAnswers;
  QStringList saveQuestions;
  // Answers to the replace question in order; an unscripted question is cancelled.
  QList<bool> replaceAnswers;
  QStringList replaceQuestions;
  std::vector<std::optional<QRect>> clipCalls;

  // Each message's kind and caption, as "kind|caption".
  QStringList Headings() const {
    QStringList headings;
    for (const Message& m : messages) headings << m.kind + "|" + m.caption;
    return headings;
  }

  std::optional<QString> GetOpenFileName(QWidget*, const QString& description,
                                         const QString& pattern,
                                         const QString& initialFolder) override {
    openCalls.push_back({description, pattern, initialFolder});
    return Next(openAnswers);
  }
  std::optional<QString> GetSaveFileName(QWidget*, const QString& description,
                                         const QString& pattern,
                                         const QString& initialFolder) override {
    saveCalls.push_back({description, pattern, initialFolder});
    return Next(saveAnswers);
  }
  QStringList GetOpenFileNames(QWidget*, const QString& description, const QString& pattern,
                               const QString& initialFolder) override {
    openCalls.push_back({description, pattern, initialFolder});
    return {};
  }
  std::optional<QString> GetExistingFolder(QWidget*, const QString&, const QString&) override {
    return Next(folderAnswers);
  }
  void ShowWarning(QWidget*, const QString& caption, const QString& text) override {
    messages.push_back({"warning", caption, text});
  }
  void ShowError(QWidget*, const QString& caption, const QString& text) override {
    messages.push_back({"error", caption, text});
  }
  void ShowAbout(QWidget*, const QString& caption, const QString& text) override {
    messages.push_back({"about", caption, text});
  }
  SaveAnswer AskToSave(QWidget*, const QString&, const QString& text) override {
    saveQuestions << text;
    return saveQuestionAnswers.isEmpty() ? SaveAnswer::kCancel : saveQuestionAnswers.takeFirst();
  }
  bool AskToReplace(QWidget*, const QString&, const QString& text) override {
    replaceQuestions << text;
    return !replaceAnswers.isEmpty() && replaceAnswers.takeFirst();
  }
  bool ShellOpen(QWidget*, const QString& file, const QString& workingFolder) override {
    shellOpened << file + "|" + workingFolder;
    return shellOpenSucceeds;
  }
  QString ExecutableFolder() override { return executableFolder; }
  void ClipCursor(const QRect* rect) override {
    clipCalls.push_back(rect ? std::optional<QRect>(*rect) : std::nullopt);
  }

 private:
  static std::optional<QString> Next(QStringList& answers) {
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }
};

}  // namespace rumora
