#pragma once

#include <cstdint>
#include <initializer_list>

#include "layout/frame_bounds.h"

namespace rumora {

// The kinds of drag a selection frame allows.
enum class TSelOptSet : std::uint8_t { ResizeX, ResizeY, MoveX, MoveY };

// A set of TSelOptSet, stored as bits 0 to 3 of one byte.
class TSelOpt {
 public:
  constexpr TSelOpt() = default;
  constexpr TSelOpt(std::initializer_list<TSelOptSet> members) {
    for (TSelOptSet m : members) bits_ |= Bit(m);
  }
  static constexpr TSelOpt All() {
    return {TSelOptSet::ResizeX, TSelOptSet::ResizeY, TSelOptSet::MoveX, TSelOptSet::MoveY};
  }
  static constexpr TSelOpt FromByte(std::uint8_t bits) {
    TSelOpt set;
    set.bits_ = bits & 0x0F;
    return set;
  }

  constexpr bool Contains(TSelOptSet m) const { return (bits_ & Bit(m)) != 0; }
  constexpr void Include(TSelOptSet m) { bits_ |= Bit(m); }
  constexpr void Exclude(TSelOptSet m) { bits_ &= static_cast<std::uint8_t>(~Bit(m)); }
  constexpr std::uint8_t Byte() const { return bits_; }

  friend constexpr bool operator==(TSelOpt, TSelOpt) = default;

 private:
  static constexpr std::uint8_t Bit(TSelOptSet m) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(m));
  }
  std::uint8_t bits_ = 0;
};

// Where on the frame the pointer is: the inside, an edge band or a corner.
enum class GripZone : std::uint8_t {
  Inside = 0,
  Top,
  Bottom,
  Left,
  Right,
  TopRight,
  TopLeft,
  BottomRight,
  BottomLeft,
};

// The cursor a frame shows for its zone.
enum class FrameCursor : std::uint8_t {
  Arrow,                // Inside
  SizeVertical,         // Top, Bottom
  SizeHorizontal,       // Left, Right
  SizeRisingDiagonal,   // TopRight, BottomLeft
  SizeFallingDiagonal,  // TopLeft, BottomRight
};

FrameCursor CursorForZone(GripZone zone);

// The geometry of a movable, resizable rectangle frame on a parent: hit-testing of its edge bands
// and corners, and drags under its limits and options. Mouse positions are in frame coordinates
// (relative to the frame's top-left corner). Arithmetic is 32-bit signed and wraps as the
// hardware does; nothing here reports a failure, requests beyond the limits are cut to them.
class SelFrame {
 public:
  // Published settings, read and written directly.
  std::int32_t SizeSense = 5;  // width of the grip band along each edge
  std::int32_t MinWidth = 5;   // smallest width an edge drag may produce
  std::int32_t MinHeight = 5;  // smallest height an edge drag may produce
  std::int32_t MinTop = 0;
  std::int32_t MinLeft = 0;
  // Limit for top + height, used only when greater than MinTop (else the parent's height).
  std::int32_t MaxBottom = 0;
  // Limit for left + width, used only when greater than MinLeft (else the parent's width).
  std::int32_t MaxRight = 0;
  TSelOpt SelOption = TSelOpt::All();

  const FrameBounds& Bounds() const { return bounds_; }
  void SetBounds(const FrameBounds& bounds) { bounds_ = bounds; }
  std::int32_t Left() const { return bounds_.left; }
  std::int32_t Top() const { return bounds_.top; }
  std::int32_t Width() const { return bounds_.width; }
  std::int32_t Height() const { return bounds_.height; }

  // The parent's client size, the default limits of drags.
  void SetParentClientSize(std::int32_t width, std::int32_t height);
  std::int32_t ParentClientWidth() const { return parentWidth_; }
  std::int32_t ParentClientHeight() const { return parentHeight_; }

  // A press of any button: starts a drag in the current zone from (x, y).
  void MouseDown(std::int32_t x, std::int32_t y);
  // While dragging, applies one drag step; otherwise classifies the zone under (x, y). Then the
  // options filter the zone. Returns the cursor for the zone.
  FrameCursor MouseMove(std::int32_t x, std::int32_t y);
  // Ends the drag.
  void MouseUp(std::int32_t x, std::int32_t y);

  bool Dragging() const { return dragging_; }
  GripZone Zone() const { return zone_; }
  std::int32_t PressX() const { return pressX_; }
  std::int32_t PressY() const { return pressY_; }

  // The zone of a point, edge bands tested left before right and top before bottom.
  GripZone ClassifyZone(std::int32_t x, std::int32_t y) const;
  // The zone with the sizing kinds that SelOption lacks taken out.
  GripZone FilterZone(GripZone zone) const;

  // The drag steps, each given a signed pixel delta.
  void ResizeTop(std::int32_t d);
  void ResizeBottom(std::int32_t d);
  void ResizeLeft(std::int32_t d);
  void ResizeRight(std::int32_t d);
  void MoveBy(std::int32_t dx, std::int32_t dy);

 private:
  void DragStep(std::int32_t x, std::int32_t y);
  std::int32_t BottomLimit() const;
  std::int32_t RightLimit() const;

  FrameBounds bounds_;
  std::int32_t parentWidth_ = 0;
  std::int32_t parentHeight_ = 0;
  bool dragging_ = false;
  GripZone zone_ = GripZone::Inside;
  std::int32_t pressX_ = 0;
  std::int32_t pressY_ = 0;
};

}  // namespace rumora
