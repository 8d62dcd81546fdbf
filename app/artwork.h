#pragma once

// The pictures of the main window that are drawn rather than loaded: the top-strip buttons and
// tabs, and the small icons beside the push-button captions. Everything is painted here with
// QPainter. Drawing text needs a running QGuiApplication (for the font database).
//
// Every function returns a new QImage in Format_ARGB32_Premultiplied; areas outside the drawn
// shapes are fully transparent unless stated otherwise. None of them can fail.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>

#include "imaging/colour.h"

namespace rumora {

// The window's silver, clSilver, as an opaque Qt colour value: the window's background and the
// strip beside the current tab.
inline constexpr QRgb kSilverRgb =
    qRgb(GetRValue(clSilver), GetGValue(clSilver), GetBValue(clSilver));

// 124x62: the yellow oval "写真切替" button that switches between the two views.
QImage PhotoSwitchOvalPicture();

// 257x43: the two view tabs, "入力写真" on the left and "出力写真" on the right, in the tab colour
// (kTabColour) with a flat bottom edge. The labels are centred on the click areas at (8,3) and
// (136,3), 113x33 each.
QImage ViewTabsPicture();

// 257x5, fully opaque: the strip that marks the current tab. Columns 0-124 (inputTab) or
// 131-255 (otherwise) are the tab colour; every other pixel is silver 0xC0C0C0.
QImage TabMarkPicture(bool inputTab);

// 66x37: the orange oval "help" button.
QImage HelpOvalPicture();

// The tab colour shared by the tab picture and the mark strip (red 132, green 143, blue 130).
inline constexpr unsigned kTabColourRgb = 0x848F82;  // 0xRRGGBB, as QColor/qRgb take it

enum class ButtonIconKind {
  OpenFolder,           // an opening folder: opening a photo, opening a logo
  OverlappingSquares,   // trimming
  FloppyDisk,           // saving the output
  RotateClockwise,      // red circular arrows: quarter turn right
  RotateAnticlockwise,  // blue circular arrows: quarter turn left
  HalfFilledCircle,     // contrast boost
  OrangeSun,            // brighten
  PurpleSun,            // darken
  DottedRotate,         // dotted red circular arrows: free rotation
  LayoutTiles,          // coloured tiles: next layout
  PaneTiles,            // coloured tiles with one pane picked out: next pane
  Pin,                  // pasting a logo
};

// size x size: the program's icon for the window, the task bar and the desktop's menu. Four tiles
// of a layout on a plate in the tab colour, with the red trimming frame over them. Drawn to scale
// at any size, with transparent rounded corners.
QImage ApplicationIconPicture(int size);

// The program's icon at the sizes a desktop asks for (16 to 256 pixels). Needs a running
// QGuiApplication.
QIcon ApplicationIcon();

// The size of ButtonIcon(kind): 16x16 for the pin, 25x25 for all others.
QSize ButtonIconSize(ButtonIconKind kind);

// The antialiased icon of `kind` on a transparent background, ButtonIconSize(kind) large.
QImage ButtonIcon(ButtonIconKind kind);

}  // namespace rumora
