// The window layout: every control at its place, with its caption, hint, font and start state.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include "app/artwork.h"
#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "app/platform.h"
#include "app/tform1.h"
#include "layout/sel_shape.h"

namespace rumora {
namespace {

QLabel* MakePicture(QWidget* parent, const QRect& geometry, const QImage& picture) {
  auto* label = new QLabel(parent);
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setPixmap(QPixmap::fromImage(picture));
  return label;
}

ImageViewWidget* MakeClickArea(QWidget* parent, const QRect& geometry) {
  auto* area = new ImageViewWidget(parent);
  area->setGeometry(geometry);
  return area;
}

QPushButton* MakeButton(QWidget* parent, const QRect& geometry, const char* caption,
                        ButtonIconKind icon, const char* hint = nullptr) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setGeometry(geometry);
  button->setIcon(QIcon(QPixmap::fromImage(ButtonIcon(icon))));
  button->setIconSize(ButtonIconSize(icon));
  if (hint) button->setToolTip(QString::fromUtf8(hint));
  return button;
}

QPushButton* MakePlainButton(QWidget* parent, const QRect& geometry, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setGeometry(geometry);
  return button;
}

QToolButton* MakeSpeedButton(QWidget* parent, const QRect& geometry, const char* caption,
                             ButtonIconKind icon, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setGeometry(geometry);
  button->setText(QString::fromUtf8(caption));
  button->setIcon(QIcon(QPixmap::fromImage(ButtonIcon(icon))));
  button->setIconSize(ButtonIconSize(icon));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setToolTip(QString::fromUtf8(hint));
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QRect& geometry, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setGeometry(geometry);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const char* caption) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setGeometry(geometry);
  return label;
}

QScrollBar* MakeScrollBar(QWidget* parent, const QRect& geometry, int position) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setGeometry(geometry);
  bar->setRange(0, 100);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  bar->setValue(position);
  return bar;
}

QWidget* MakePanel(QWidget* parent, const QRect& geometry) {
  auto* panel = new QWidget(parent);
  panel->setGeometry(geometry);
  panel->setAutoFillBackground(true);  // painted whole, off-screen first, like every Qt widget
  return panel;
}

void ConfigureFrame(TSelShape* frame, const QRect& bounds) {
  frame->SetPenColour(QColor(255, 0, 0));
  frame->SetPenWidth(2);
  frame->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
}

}  // namespace

void TForm1::CreateControls() {
  // The title marks unsaved output ("[*]" is where the mark goes).
  setWindowTitle(QStringLiteral("ルモラプロフェッショナル版[*]"));
  move(201, 103);
  // Every control lies in the client area at its place; the menu bar goes above it.
  client_ = new QWidget(this);
  client_->resize(783, 670);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(kSilverRgb));
  palette.setColor(QPalette::Button, QColor::fromRgb(kSilverRgb));
  setPalette(palette);
  setFont(LayoutFont(kGothicFace, 12));

  CreateTopStrip();
  CreateLayoutGroup();
  CreateOperationGroup();
  CreateViews();
  CreateLogoGroup();
  CreateHiddenControls();
}

void TForm1::CreateTopStrip() {
  Image7 = MakePicture(client_, {6, 0, 131, 65}, PhotoSwitchOvalPicture());
  Image8 = MakeClickArea(client_, {16, 8, 105, 41});
  Image4 = MakePicture(client_, {168, 5, 257, 43}, ViewTabsPicture());
  inputimg = MakeClickArea(client_, {176, 8, 113, 33});
  outputimg = MakeClickArea(client_, {304, 8, 113, 33});
  Image5 = MakePicture(client_, {168, 43, 257, 5}, TabMarkPicture(true));
  Image6 = MakePicture(client_, {168, 43, 257, 5}, TabMarkPicture(false));

  Label4 = new QLabel(client_);
  Label4->move(448, 0);
  Label4->setFont(LayoutFont(kGothicFace, 15, true));

  ProgressBar1 = new QProgressBar(client_);
  ProgressBar1->setGeometry(448, 24, 169, 16);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  Image9 = MakePicture(client_, {704, 6, 66, 37}, HelpOvalPicture());
  Image10 = MakeClickArea(client_, {712, 8, 49, 33});
  Image8->setToolTip(QStringLiteral("入力写真と出力写真を切り替えます"));
  inputimg->setToolTip(QStringLiteral("入力写真を表示します"));
  outputimg->setToolTip(QStringLiteral("出力写真を表示します"));
  Image10->setToolTip(QStringLiteral("ヘルプを開きます"));
  for (QWidget* area : {static_cast<QWidget*>(Image8), static_cast<QWidget*>(inputimg),
                        static_cast<QWidget*>(outputimg), static_cast<QWidget*>(Image10)}) {
    area->raise();
  }
}

void TForm1::CreateLayoutGroup() {
  GroupBox2 = new QGroupBox(client_);
  GroupBox2->setGeometry(8, 72, 137, 201);
  SpeedButton1 = MakeSpeedButton(GroupBox2, {8, 16, 121, 30}, "　分割選択",
                                 ButtonIconKind::LayoutTiles, "分割画面を選択する");
  SpeedButton1->setCursor(Qt::PointingHandCursor);
  SpeedButton2 = MakeSpeedButton(GroupBox2, {8, 48, 121, 30}, "　位置選択",
                                 ButtonIconKind::PaneTiles, "分割した画面の位置を選びます");
  gbImage = new ImageViewWidget(GroupBox2);
  gbImage->setGeometry(8, 88, 120, 90);
  gbImage->SetTextRenderer(&textRenderer_);
}

void TForm1::CreateOperationGroup() {
  GroupBox3 = new QGroupBox(QStringLiteral("Ｏｐｅｒａｔｉｏｎ"), client_);
  GroupBox3->setGeometry(8, 280, 137, 353);
  GroupBox3->setFont(LayoutFont(kMinchoFace, 12));
  QWidget* g = GroupBox3;
  BitBtn2 = MakeButton(g, {8, 16, 121, 30}, "写真を開く", ButtonIconKind::OpenFolder,
                       "写真のファイルを開きます");
  BitBtn7 = MakeButton(g, {40, 48, 89, 30}, "右回転", ButtonIconKind::RotateClockwise);
  BitBtn8 = MakeButton(g, {40, 80, 89, 30}, "左回転", ButtonIconKind::RotateAnticlockwise);
  CheckBox4 = MakeCheckBox(g, {40, 118, 17, 17}, "");
  Edit1 = new QLineEdit(QStringLiteral("10"), g);
  Edit1->setGeometry(64, 114, 41, 24);
  Edit1->setFont(LayoutFont(kMinchoFace, 16));
  Label2 = MakeLabel(g, {112, 124, 12, 12}, "度");
  BitBtn11 = MakeButton(g, {40, 142, 89, 30}, "　回転　", ButtonIconKind::DottedRotate);
  BitBtn5 = MakeButton(g, {40, 179, 89, 30}, "　強調", ButtonIconKind::HalfFilledCircle,
                       "入力写真のコントラストを強調する");
  BitBtn4 = MakeButton(g, {40, 211, 89, 30}, "　明るく", ButtonIconKind::OrangeSun,
                       "入力写真を明るくする");
  BitBtn6 =
      MakeButton(g, {40, 243, 89, 30}, "　  暗く", ButtonIconKind::PurpleSun, "入力写真を暗くする");
  BitBtn3 = MakeButton(g, {8, 280, 121, 30}, "　トリミング", ButtonIconKind::OverlappingSquares,
                       "画面上の枠でかこまれた部分を出力写真に貼り付ける");
  BitBtn1 = MakeButton(g, {8, 312, 121, 30}, "写真を保存", ButtonIconKind::FloppyDisk,
                       "出力写真をファイルに保存します");

  CheckBox3 = MakeCheckBox(client_, {16, 648, 57, 17}, "分割線");
  CheckBox3->setChecked(true);

  // Short hints for the controls that came without one.
  BitBtn7->setToolTip(QStringLiteral("入力写真を右に 90 度回します"));
  BitBtn8->setToolTip(QStringLiteral("入力写真を左に 90 度回します"));
  CheckBox4->setToolTip(QStringLiteral("入力写真に線を引いて、水平にする角度を測ります"));
  Edit1->setToolTip(QStringLiteral("「回転」で回す角度 (度、右回りが正)"));
  BitBtn11->setToolTip(QStringLiteral("入力写真を角度の欄の度数だけ回します"));
  CheckBox3->setToolTip(QStringLiteral("トリミングのとき分割の境目に白い線を引きます"));
}

void TForm1::CreateViews() {
  Panel2 = MakePanel(client_, {168, 48, 600, 600});
  Image2 = new ImageViewWidget(Panel2);
  Image2->setGeometry(0, 0, 600, 600);
  Image2->SetTextRenderer(&textRenderer_);
  Image2->AssignPicture(Bitmap::Filled(600, 600, RGB(87, 88, 93)));
  SelShape1 = new TSelShape(Panel2);
  ConfigureFrame(SelShape1, {80, 72, 129, 97});
  SelShape1->ClipCursor = [this](const QRect* rect) { platform_.ClipCursor(rect); };

  Panel1 = MakePanel(client_, {168, 48, 600, 450});
  Image1 = new ImageViewWidget(Panel1);
  Image1->setGeometry(0, 0, 600, 450);
  Image1->SetTextRenderer(&textRenderer_);
  Image1->AssignPicture(Bitmap::Filled(600, 450, clWhite));
  Image1->setCursor(Qt::PointingHandCursor);
  SelShape2 = new TSelShape(Panel1);
  ConfigureFrame(SelShape2, {152, 128, 113, 89});
  SelShape2->ClipCursor = [this](const QRect* rect) { platform_.ClipCursor(rect); };
  // A click (or Tab) gives a view the focus, and its arrow keys move its frame.
  for (QWidget* view : {Panel2, Panel1}) {
    view->setFocusPolicy(Qt::StrongFocus);
    view->installEventFilter(this);
  }

  // Under the views, where the tallest input view ends.
  statusLine_ = MakeLabel(client_, {176, 651, 592, 18}, "");
  statusLine_->setObjectName(QStringLiteral("statusLine"));
}

void TForm1::CreateLogoGroup() {
  GroupBox1 = new QGroupBox(QStringLiteral("ＬＯＧＯ　Ｐａｓｔ"), client_);
  GroupBox1->setGeometry(168, 520, 329, 121);
  QWidget* g = GroupBox1;
  ComboBox1 = new QComboBox(g);
  ComboBox1->setGeometry(8, 16, 121, 24);
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);  // typing never adds an item
  ComboBox1->setFont(LayoutFont(kGothicFace, 16, true));
  ComboBox1->addItems({QStringLiteral("ファイル"), "LOGO1", "LOGO2", "LOGO3"});
  ComboBox1->setEditText(QStringLiteral("ファイル"));
  BitBtn9 = MakeButton(g, {136, 16, 89, 30}, "開く", ButtonIconKind::OpenFolder);
  BitBtn10 = MakeButton(g, {136, 56, 89, 30}, "貼る", ButtonIconKind::Pin);
  BitBtn12 = MakePlainButton(g, {232, 16, 89, 33}, "取り消し");
  BitBtn13 = MakePlainButton(g, {232, 56, 89, 33}, "確定");
  CheckBox2 = MakeCheckBox(g, {16, 96, 57, 17}, "記録");
  Label1 = MakeLabel(g, {96, 98, 24, 12}, "透過");
  ScrollBar2 = MakeScrollBar(g, {136, 96, 89, 16}, 50);
  // The weight as a number beside its bar.
  transparencyValue_ = MakeLabel(g, {230, 96, 30, 16}, "");
  transparencyValue_->setNum(ScrollBar2->value());
  connect(ScrollBar2, &QScrollBar::valueChanged, transparencyValue_,
          qOverload<int>(&QLabel::setNum));
  ComboBox1->setToolTip(QStringLiteral("ロゴの元: ファイルか、登録済みの LOGO1～3"));
  BitBtn9->setToolTip(QStringLiteral("ロゴを開いて、置く位置に枠を出します"));
  BitBtn10->setToolTip(QStringLiteral("ロゴを出力写真に貼ります"));
  BitBtn12->setToolTip(QStringLiteral("貼ったロゴを取り消します"));
  BitBtn13->setToolTip(QStringLiteral("ロゴの位置を確定して枠を消します"));
  CheckBox2->setToolTip(QStringLiteral("LOGO1～3 を貼るとき、枠の位置と濃さを記録します"));
  ScrollBar2->setToolTip(QStringLiteral("ロゴの濃さ (0～100)"));
}

void TForm1::CreateHiddenControls() {
  ScrollBar1 = MakeScrollBar(client_, {160, 624, 137, 16}, 30);
  ScrollBar1->hide();
  CheckBox1 = MakeCheckBox(client_, {232, 640, 73, 17}, "CheckBox1");
  CheckBox1->hide();
  Img1.SetTextRenderer(&textRenderer_);
  Image13.SetTextRenderer(&textRenderer_);
}

}  // namespace rumora
