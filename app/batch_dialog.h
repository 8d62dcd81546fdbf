#pragma once

#include <QDialog>
#include <QStringList>

#include "batch/batch_recipe.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace rumora {

class Platform;

// "まとめて処理": the photos to make listing pictures of (files picked several at a time, or
// whole folders) and the recipe they are all made by. It only asks: 開始 accepts it, and the
// window checks what was chosen and runs the batch.
class BatchDialog final : public QDialog {
  Q_OBJECT

 public:
  // `photoFolder` is where the photo dialogs start.
  BatchDialog(Platform& platform, const BatchRecipe& recipe, const QString& photoFolder,
              QWidget* parent);

  // The photos and folders picked, in the order they were added.
  QStringList Inputs() const;
  BatchRecipe Recipe() const;

 private:
  void AddPhotos();
  void AddFolder();
  void ChooseOutputFolder();
  void AddInputs(const QStringList& inputs);

  Platform& platform_;
  QString photoFolder_;
  QListWidget* inputs_;
  QComboBox* size_;
  QButtonGroup* fit_;
  QCheckBox* contrast_;
  QCheckBox* brighten_;
  QCheckBox* darken_;
  QComboBox* logo_;
  QLineEdit* outputFolder_;
  QLineEdit* namePattern_;
};

}  // namespace rumora
