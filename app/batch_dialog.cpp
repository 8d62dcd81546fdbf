#include "app/batch_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/platform.h"
#include "batch/photo_folder.h"
#include "imaging/error.h"
#include "photo_io/photo_reader.h"

namespace rumora {
namespace {

QPushButton* Button(const QString& text, const QString& hint, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setToolTip(hint);
  return button;
}

}  // namespace

BatchDialog::BatchDialog(Platform& platform, const BatchRecipe& recipe, const QString& photoFolder,
                         QWidget* parent)
    : QDialog(parent), platform_(platform), photoFolder_(photoFolder) {
  setWindowTitle(QStringLiteral("まとめて処理"));
  auto* layout = new QVBoxLayout(this);

  auto* photos = new QGroupBox(QStringLiteral("写真"), this);
  auto* photosLayout = new QHBoxLayout(photos);
  inputs_ = new QListWidget(photos);
  inputs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  inputs_->setToolTip(QStringLiteral("出品画像にする写真と、写真をすべて使うフォルダ"));
  photosLayout->addWidget(inputs_);
  auto* photoButtons = new QVBoxLayout;
  QPushButton* addPhotos = Button(QStringLiteral("写真を追加…"),
                                  QStringLiteral("写真を選んで加えます (複数可)"), photos);
  QPushButton* addFolder = Button(QStringLiteral("フォルダを追加…"),
                                  QStringLiteral("フォルダの写真をすべて加えます"), photos);
  QPushButton* remove =
      Button(QStringLiteral("外す"), QStringLiteral("選んだ行を一覧から外します"), photos);
  for (QPushButton* button : {addPhotos, addFolder, remove}) photoButtons->addWidget(button);
  photoButtons->addStretch();
  photosLayout->addLayout(photoButtons);
  layout->addWidget(photos);

  auto* recipeBox = new QGroupBox(QStringLiteral("レシピ"), this);
  auto* form = new QFormLayout(recipeBox);
  size_ = new QComboBox(recipeBox);
  for (const OutputSize size : {OutputSize::k600x450, OutputSize::k1200x900}) {
    size_->addItem(QString::fromUtf8(OutputSizeCaption(size)), static_cast<int>(size));
  }
  size_->setCurrentIndex(size_->findData(static_cast<int>(recipe.size)));
  size_->setToolTip(QStringLiteral("出品画像の大きさ"));
  form->addRow(QStringLiteral("出力サイズ"), size_);

  auto* fitRow = new QHBoxLayout;
  fit_ = new QButtonGroup(this);
  auto* whole = new QRadioButton(QStringLiteral("全体"), recipeBox);
  whole->setToolTip(QStringLiteral("写真全体を白地の中央に収めます (写真は欠けません)"));
  auto* fill = new QRadioButton(QStringLiteral("切り抜き"), recipeBox);
  fill->setToolTip(QStringLiteral("写真の中央を出品画像の縦横比で切り抜き、全面に広げます"));
  fit_->addButton(whole, static_cast<int>(ListingFit::kWhole));
  fit_->addButton(fill, static_cast<int>(ListingFit::kFill));
  (recipe.fit == ListingFit::kFill ? fill : whole)->setChecked(true);
  fitRow->addWidget(whole);
  fitRow->addWidget(fill);
  fitRow->addStretch();
  form->addRow(QStringLiteral("仕上げ"), fitRow);

  auto* toneRow = new QHBoxLayout;
  contrast_ = new QCheckBox(QStringLiteral("強調"), recipeBox);
  brighten_ = new QCheckBox(QStringLiteral("明るく"), recipeBox);
  darken_ = new QCheckBox(QStringLiteral("暗く"), recipeBox);
  contrast_->setChecked(recipe.contrast);
  brighten_->setChecked(recipe.brighten);
  darken_->setChecked(recipe.darken);
  for (QCheckBox* box : {contrast_, brighten_, darken_}) {
    box->setToolTip(QStringLiteral("選んだものを 強調・明るく・暗く の順にかけます"));
    toneRow->addWidget(box);
  }
  toneRow->addStretch();
  form->addRow(QStringLiteral("色調"), toneRow);

  logo_ = new QComboBox(recipeBox);
  logo_->setObjectName(QStringLiteral("logo"));
  logo_->addItems({QStringLiteral("なし"), "LOGO1", "LOGO2", "LOGO3"});
  logo_->setCurrentIndex(recipe.logo);
  logo_->setToolTip(QStringLiteral("記録した位置と濃さで貼るロゴ"));
  form->addRow(QStringLiteral("ロゴ"), logo_);

  auto* folderRow = new QHBoxLayout;
  outputFolder_ = new QLineEdit(QString::fromStdString(recipe.outputFolder), recipeBox);
  outputFolder_->setObjectName(QStringLiteral("outputFolder"));
  outputFolder_->setToolTip(QStringLiteral("出品画像を保存するフォルダ"));
  QPushButton* browse =
      Button(QStringLiteral("参照…"), QStringLiteral("保存するフォルダを選びます"), recipeBox);
  folderRow->addWidget(outputFolder_);
  folderRow->addWidget(browse);
  form->addRow(QStringLiteral("出力フォルダ"), folderRow);

  namePattern_ = new QLineEdit(QString::fromStdString(recipe.namePattern), recipeBox);
  namePattern_->setToolTip(
      QStringLiteral("{name} は写真の名前に置き換わります。同じ名前のファイルがあれば -2、-3 "
                     "を付け、置き換えません"));
  form->addRow(QStringLiteral("ファイル名"), namePattern_);
  layout->addWidget(recipeBox);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("開始"), QDialogButtonBox::AcceptRole)
      ->setToolTip(QStringLiteral("一覧の写真をすべて出品画像にします"));
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);

  connect(addPhotos, &QPushButton::clicked, this, [this] { AddPhotos(); });
  connect(addFolder, &QPushButton::clicked, this, [this] { AddFolder(); });
  connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(inputs_->selectedItems()); });
  connect(browse, &QPushButton::clicked, this, [this] { ChooseOutputFolder(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(560, 480);
}

QStringList BatchDialog::Inputs() const {
  QStringList inputs;
  for (int row = 0; row < inputs_->count(); ++row) {
    inputs << inputs_->item(row)->data(Qt::UserRole).toString();
  }
  return inputs;
}

BatchRecipe BatchDialog::Recipe() const {
  BatchRecipe recipe;
  recipe.size = static_cast<OutputSize>(size_->currentData().toInt());
  recipe.fit = static_cast<ListingFit>(fit_->checkedId());
  recipe.contrast = contrast_->isChecked();
  recipe.brighten = brighten_->isChecked();
  recipe.darken = darken_->isChecked();
  recipe.logo = logo_->currentIndex();
  recipe.outputFolder = outputFolder_->text().trimmed().toStdString();
  recipe.namePattern = namePattern_->text().toStdString();
  return recipe;
}

void BatchDialog::AddPhotos() {
  QStringList patterns;
  for (const std::string& pattern : PhotoFilePatterns())
    patterns << QString::fromStdString(pattern);
  const QStringList files = platform_.GetOpenFileNames(
      this, QStringLiteral("jpg"), patterns.join(QLatin1Char(' ')), photoFolder_);
  if (!files.isEmpty()) photoFolder_ = QFileInfo(files.front()).absolutePath();
  AddInputs(files);
}

void BatchDialog::AddFolder() {
  if (const auto folder =
          platform_.GetExistingFolder(this, QStringLiteral("写真のフォルダ"), photoFolder_)) {
    photoFolder_ = *folder;
    AddInputs({*folder});
  }
}

void BatchDialog::ChooseOutputFolder() {
  if (const auto folder = platform_.GetExistingFolder(this, QStringLiteral("保存するフォルダ"),
                                                      outputFolder_->text())) {
    outputFolder_->setText(*folder);
  }
}

void BatchDialog::AddInputs(const QStringList& inputs) {
  for (const QString& input : inputs) {
    if (Inputs().contains(input)) continue;
    QString text = input;
    if (QFileInfo(input).isDir()) {
      // A folder says how many of its photos it brings.
      try {
        text += QStringLiteral("  (フォルダ、写真 %1 枚)")
                    .arg(PhotosInFolder(QFile::encodeName(input).toStdString()).size());
      } catch (const Error&) {
        text += QStringLiteral("  (フォルダ、読めません)");
      }
    }
    auto* item = new QListWidgetItem(text, inputs_);
    item->setData(Qt::UserRole, input);
  }
}

}  // namespace rumora
