// Free rotation of the photo by the angle typed in the angle box.
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <new>

#include "app/busy_cursor.h"
#include "app/platform.h"
#include "app/tform1.h"
#include "imaging/angle_text.h"
#include "imaging/error.h"
#include "imaging/rotate_bitmap.h"

namespace rumora {

void TForm1::BitBtn11Click() {
  if (WorkingBitmap.Empty()) return;  // no photo opened: nothing to turn
  if (FreeRotationDone != 0) {
    platform_.ShowWarning(this, QStringLiteral("警告"),
                          QStringLiteral("再回転すると画像劣化の為、画像再読み取りしてください"));
    return;
  }
  const QString text = Edit1->text();
  // An input method types full-width digits, signs, points and spaces; NFKC makes them ASCII.
  const QString ascii = text.normalized(QString::NormalizationForm_KC);
  const auto angle = ParseAngleText(ascii.toStdString(), QLocale().decimalPoint().toStdString());
  if (!angle) {
    throw Error(QStringLiteral("'%1' は浮動小数点数ではありません").arg(text).toStdString());
  }
  if (*angle == 0) return;
  Bitmap rotated;
  try {
    BusyCursor busy;
    rotated = RotatedBitmap(WorkingBitmap, clWhite, static_cast<float>(*angle));
  } catch (const Error& e) {
    // The photo, the views and the flag are as they were: the rotation fails before it
    // replaces anything.
    throw Error(std::string("写真を回転できません: ") + e.what());
  } catch (const std::bad_alloc&) {
    throw Error("写真を回転できません: メモリが不足しています");
  }
  // The photo it replaces is the step's state before: no copy is made for the history.
  CommitPhotoStep(std::move(rotated), 1, uprightOrientation_);
  ViewToShow = 1;
  UpdateViews();
  PlaceTrimFrame();
  CheckBox4->setChecked(false);
}

}  // namespace rumora
