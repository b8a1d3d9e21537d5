#include "controls/tambor_button_core.h"

#include <cmath>

namespace orvimo {
namespace {

struct Corners {
  TColor32 top_left, bottom_left, top_right, bottom_right;
};

Corners ReadCorners(const TBitmap32& b, const Rect& r) {
  return {b.Pixel(r.left, r.top), b.Pixel(r.left, r.bottom - 1), b.Pixel(r.right - 1, r.top),
          b.Pixel(r.right - 1, r.bottom - 1)};
}

void WriteCorners(TBitmap32& b, const Rect& r, const Corners& c) {
  b.SetPixel(r.left, r.top, c.top_left);
  b.SetPixel(r.left, r.bottom - 1, c.bottom_left);
  b.SetPixel(r.right - 1, r.top, c.top_right);
  b.SetPixel(r.right - 1, r.bottom - 1, c.bottom_right);
}

}  // namespace

TamborButtonCore::TamborButtonCore() = default;

void TamborButtonCore::Changed() {
  if (on_change_) on_change_();
}

void TamborButtonCore::SetCaption(const std::string& v) {
  if (v != caption_) Store(caption_, v);
}

void TamborButtonCore::SetDown(bool v) {
  if (toggle_) Store(down_, v);
}

void TamborButtonCore::SetToggle(bool v) {
  toggle_ = v;
  if (!v) down_ = false;
  Changed();
}

void TamborButtonCore::SetImageIndex_Normal(int v) {
  image_normal_ = v;
  if (!hovered_) current_image_ = v;
  Changed();
}

void TamborButtonCore::SetGlyph(const TBitmap32* glyph) {
  if (glyph) {
    glyph_ = *glyph;
  }
  current_image_ = 0;
  RecomputeCellWidth();
  Changed();
}

void TamborButtonCore::SetNumGlyphs(int v) {
  num_glyphs_ = v < 1 ? 1 : v;
  SetGlyph(nullptr);
}

void TamborButtonCore::SetSize(int width, int height) {
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  RecomputeCellWidth();
}

void TamborButtonCore::RecomputeCellWidth() { cell_width_ = glyph_.Width() / num_glyphs_; }

bool TamborButtonCore::ReleaseClicks(MouseButton button) const {
  return button == MouseButton::kLeft && pressed_ && hovered_;
}

void TamborButtonCore::MouseDown(MouseButton) {
  pressed_ = true;
  hovered_ = true;
  if (image_pressed_ >= 0) current_image_ = image_pressed_;
  Changed();
}

void TamborButtonCore::MouseUp(MouseButton) {
  if (pressed_) {
    pressed_ = false;
    if (hovered_) {
      current_image_ = image_hover_ >= 0 ? image_hover_ : image_normal_;
      if (toggle_) down_ = !down_;
    } else {
      current_image_ = image_normal_;
    }
  } else {
    current_image_ = image_normal_;
  }
  Changed();
}

void TamborButtonCore::MouseEnter() {
  hovered_ = true;
  const int candidate = pressed_ ? image_pressed_ : image_hover_;
  current_image_ = candidate >= 0 ? candidate : image_normal_;
  Changed();
}

void TamborButtonCore::MouseLeave() {
  hovered_ = false;
  current_image_ = image_normal_;
  Changed();
}

bool TamborButtonCore::Hot() const { return hovered_ && enabled_; }

bool TamborButtonCore::DownLook() const { return down_ || (pressed_ && Hot()); }

void TamborButtonCore::Paint(TBitmap32& buffer, CaptionPainter* captions) {
  if (current_image_ < 0) current_image_ = image_normal_;
  const bool down_look = DownLook();
  // Halving toward zero keeps a negative contrast negative on a disabled button.
  const int outer = enabled_ ? contrast_outer_ : contrast_outer_ / 2;
  const int inner = enabled_ ? contrast_inner_ : contrast_inner_ / 2;

  Rect r{0, 0, width_, height_};
  if (sunken_) r = PaintSunkenBevel(buffer, r);
  const Rect content = r;
  if (down_look) {
    r.left += 1;
    r.top += 1;
  }
  r = PaintBorder(buffer, r);

  TColor32 c = Hot() ? ShiftBrightness(ToColor32(color_), color_hover_) : ToColor32(color_);
  if (!r.IsEmpty()) {
    if (down_look && !(down_ && Hot() && !pressed_)) c = PaintDownLines(buffer, r);
    if (!enabled_) c = WithAlpha(c, 30);
    buffer.FillRect(r, c);
    PaintGradient(buffer, r, c);
    buffer.BevelFrame(r, outer);
    PaintCornerTint(buffer, r);
  }
  if (inner != 0) {
    r = Inflate(r, -1);
    buffer.BevelFrame(r, inner);
  }
  PaintGlyph(buffer, content);
  PaintCaption(buffer, content, r, captions);
}

Rect TamborButtonCore::PaintSunkenBevel(TBitmap32& buffer, Rect r) const {
  // The bevel's corners keep the backdrop.
  const Corners kept = ReadCorners(buffer, r);
  if (enabled_) buffer.BevelFrame(r, contrast_sunken_);
  WriteCorners(buffer, r, kept);
  return Inflate(r, -1);
}

Rect TamborButtonCore::PaintBorder(TBitmap32& buffer, Rect r) const {
  if (border_color_ == clNone) return r;
  const Corners kept = ReadCorners(buffer, r);
  const TColor32 border = ToColor32(border_color_);
  buffer.FrameRect(r, border);
  if (rounded_ && !r.IsEmpty()) {
    // Soft corners: mostly what lay there before, a little of the border.
    WriteCorners(buffer, r,
                 {MixColors(kept.top_left, border, 160), MixColors(kept.bottom_left, border, 160),
                  MixColors(kept.top_right, border, 160), MixColors(kept.bottom_right, border, 160)});
  }
  return Inflate(r, -1);
}

TColor32 TamborButtonCore::PaintDownLines(TBitmap32& buffer, const Rect& r) const {
  const TColor32 e = ShiftBrightness(ToColor32(color_), color_down_);
  for (int x = r.left; x < r.right; ++x) buffer.SetPixel(x, r.top, e);
  for (int y = r.top; y < r.bottom; ++y) buffer.SetPixel(r.left, y, e);
  return ShiftBrightness(e, -contrast_gradient_);
}

void TamborButtonCore::PaintGradient(TBitmap32& buffer, const Rect& r, TColor32 c) const {
  const int g = contrast_gradient_;
  switch (gradient_) {
    case gsFlat:
      return;
    case gsRaised:
      buffer.DitherGradient(r, ShiftBrightness(c, g), ShiftBrightness(c, -g), 90);
      return;
    case gsSunken: {
      // The darkest line sits about 36 % down the face.
      const int split = r.top + int(std::nearbyint(double(r.Height()) / 2.8));
      buffer.DitherGradient({r.left, r.top, r.right, split}, ShiftBrightness(c, g / 3),
                            ShiftBrightness(c, -g), 30);
      buffer.DitherGradient({r.left, split, r.right, r.bottom}, ShiftBrightness(c, -g),
                            ShiftBrightness(c, g / 2), 90);
      return;
    }
  }
}

void TamborButtonCore::PaintCornerTint(TBitmap32& buffer, const Rect& r) const {
  // Without a border there is nothing to soften the corners toward.
  if (!rounded_ || border_color_ == clNone) return;
  const TColor32 t = WithAlpha(ToColor32(border_color_), 85);
  const Corners now = ReadCorners(buffer, r);
  WriteCorners(buffer, r,
               {BlendPixel(now.top_left, t), BlendPixel(now.bottom_left, t), BlendPixel(now.top_right, t),
                BlendPixel(now.bottom_right, t)});
}

void TamborButtonCore::PaintGlyph(TBitmap32& buffer, const Rect& content) {
  // A cell index past the last whole cell shows nothing, not the strip's remainder columns.
  if (image_normal_ < 0 || current_image_ >= num_glyphs_ || cell_width_ <= 0) return;
  const int shift = DownLook() ? 1 : 0;
  const int gx = content.Width() / 2 - cell_width_ / 2 + shift;
  const int gy = content.Height() / 2 - glyph_.Height() / 2 + shift;
  const uint8_t kept_alpha = glyph_.MasterAlpha();
  if (!enabled_) glyph_.SetMasterAlpha(uint8_t(kept_alpha * 2 / 5));
  const Rect cell{current_image_ * cell_width_, 0, (current_image_ + 1) * cell_width_, glyph_.Height()};
  glyph_.DrawCellTo(buffer, content.left + gx, content.top + gy, cell, content);
  glyph_.SetMasterAlpha(kept_alpha);
}

void TamborButtonCore::PaintCaption(TBitmap32& buffer, const Rect& content, const Rect& face,
                                    CaptionPainter* captions) const {
  if (caption_.empty()) return;
  const int d = DownLook() ? 1 : 0;
  const TColor32 colour = ToColor32(font_color_);
  if (vell_font_) {
    const Rect text{offset_x_ + face.left + d, offset_y_ + face.top + d, width_, height_};
    vell_font_->BitmapFont().PaintText(buffer, text, caption_, kAlignCentre, kAlignCentre, colour);
    return;
  }
  if (!captions) return;
  const TextSize size = captions->MeasureCaption(caption_);
  const int x = content.left + (content.Width() / 2 - size.width / 2) + offset_x_ + d;
  const int y = content.top + (content.Height() / 2 - size.height / 2) - 1 + offset_y_ + d;
  captions->DrawCaption(buffer, x, y, caption_, colour);
}

}  // namespace orvimo
