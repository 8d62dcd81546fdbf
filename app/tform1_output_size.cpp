// The listing size (600x450 or 1200x900) and what the output view shows: the picture reduced to
// the view's 600x450 when it is larger, and the logo being placed, drawn inside its frame.
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <cstring>

#include "app/image_view_widget.h"
#include "app/tform1.h"
#include "imaging/scratch_image_view.h"
#include "layout/sel_shape.h"
#include "logo/stamp_logo.h"

namespace rumora {
namespace {

// Reports a widget's moves, sizes, showing and hiding: the logo frame's own drags reach the
// window no other way.
class GeometryWatcher final : public QObject {
 public:
  GeometryWatcher(QObject* parent, std::function<void()> onChange)
      : QObject(parent), onChange_(std::move(onChange)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Hide:
        onChange_();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onChange_;
};

bool SamePixels(const Bitmap& a, const Bitmap& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Data(), b.Data(), a.SizeInBytes()) == 0;
}

}  // namespace

OutputSize TForm1::CurrentOutputSize() {
  const Bitmap& picture = Image1->Picture();
  return OutputSizeOf(picture.Width(), picture.Height()).value_or(OutputSize::k600x450);
}

void TForm1::CreateOutputSizeMenu(QMenu* options) {
  QMenu* sizes = options->addMenu(QStringLiteral("出力サイズ"));
  auto* group = new QActionGroup(sizes);
  for (const OutputSize size : {OutputSize::k600x450, OutputSize::k1200x900}) {
    QAction* action =
        AddMenuAction(sizes, QString::fromUtf8(OutputSizeName(size)).replace('x', QChar(u'×')), {},
                      [this, size] { SetOutputSize(size); });
    action->setCheckable(true);
    action->setActionGroup(group);
    outputSizeActions_[size == OutputSize::k1200x900] = action;
  }
}

void TForm1::SetOutputSize(OutputSize size) {
  if (size != CurrentOutputSize()) {
    // The picture of the other size is lost to the eye, as when closing: the same question.
    if (!MayClose()) {
      ShowOutputSize();
      return;
    }
    std::optional<Bitmap> before = OutputForHistory();
    Image1->AssignPicture(Bitmap::Filled(OutputWidth(size), OutputHeight(size), clWhite));
    RecordOutputStep(std::move(before));
    // The logo's own "取り消し" belongs to the picture of the other size.
    outputBackupTaken_ = false;
    ViewToShow = 0;
    UpdateViews();
  }
  ShowOutputSize();
}

void TForm1::ShowOutputSize() {
  const OutputSize size = CurrentOutputSize();
  Label4->setText(QString::fromUtf8(OutputSizeCaption(size)));
  Label4->adjustSize();
  for (QAction* action : outputSizeActions_) {
    if (action != nullptr)
      action->setChecked(action == outputSizeActions_[size == OutputSize::k1200x900]);
  }
  if (shownOutputSize_ == size) return;
  shownOutputSize_ = size;
  // Undoing a change of size changes the size back: the next start keeps it too.
  if (options_.outputSize != size) {
    options_.outputSize = size;
    StoreUserOptions();
  }
  ReloadLogoForSize();
  if (!Logo.image.colour.Empty()) SizeLogoFrame();
}

void TForm1::WatchOutputView() {
  const auto refresh = [this] {
    try {
      RefreshOutputView();
    } catch (const std::exception&) {
      Image1->ClearShownPicture();  // no memory for the view: the picture as it is
    }
  };
  outputViewWatcher_ = new GeometryWatcher(SelShape2, refresh);
  SelShape2->installEventFilter(outputViewWatcher_);
  connect(ScrollBar2, &QScrollBar::valueChanged, this, refresh);
}

void TForm1::RefreshOutputView() {
  if (Panel1->isHidden()) return;  // drawn when it is shown, at the end of that handler
  const Bitmap& picture = Image1->Picture();
  const bool preview = SelShape2->Visible() && !Logo.image.colour.Empty();
  if (!preview && picture.Width() <= Image1->width() && picture.Height() <= Image1->height()) {
    Image1->ClearShownPicture();
    shownBase_ = Bitmap();
    return;
  }
  const qreal ratio = Image1->devicePixelRatioF();
  const OutputView key{preview,
                       preview ? SelShape2->Left() : 0,
                       preview ? SelShape2->Top() : 0,
                       ScrollBar2->value(),
                       logoLoads_,
                       ratio};
  if (key == shownKey_ && SamePixels(picture, shownBase_)) return;

  Bitmap shown = picture;
  if (preview) {
    StampLogo(shown, Logo, SelShape2->Left(), SelShape2->Top(), ScrollBar2->value(),
              CurrentOutputSize());
  }
  // As many pixels as the screen gives the view, no more than the picture has.
  const int width = std::min(shown.Width(), qRound(Image1->width() * ratio));
  const int height = std::min(shown.Height(), qRound(Image1->height() * ratio));
  if (width != shown.Width() || height != shown.Height()) {
    ScratchImageView reduced(width, height);
    reduced.AssignPicture(Bitmap(width, height));
    StretchToView(shown, reduced, Scaling::kSmooth);
    shown = std::move(reduced.Picture());
  }
  QImage image = QImage(shown.Data(), shown.Width(), shown.Height(),
                        static_cast<qsizetype>(shown.Stride()), QImage::Format_BGR888)
                     .copy();
  image.setDevicePixelRatio(static_cast<qreal>(shown.Width()) / Image1->width());
  Image1->SetShownPicture(std::move(image));
  shownBase_ = picture;
  shownKey_ = key;
}

}  // namespace rumora
