// The look and behaviour of the custom push/toggle button, free of any toolkit: properties, the
// mouse state machine and the painting of every pixel into a back buffer. A widget hosts it,
// feeds it mouse events and its size, provides the backdrop and shows the buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "controls/bitmap32.h"
#include "controls/caption_painter.h"
#include "controls/color32.h"
#include "controls/vell_font_container.h"

namespace orvimo {

enum TGradientStyle { gsFlat = 0, gsRaised = 1, gsSunken = 2 };
enum class MouseButton { kLeft, kRight, kMiddle, kOther };

class TamborButtonCore {
 public:
  TamborButtonCore();

  // Called after every change that needs a repaint; the widget installs its update here.
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }

  TColor BorderColor() const { return border_color_; }
  void SetBorderColor(TColor v) { Store(border_color_, v); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  int ContrastGradient() const { return contrast_gradient_; }
  void SetContrastGradient(int v) { Store(contrast_gradient_, v); }
  int ContrastOuterBorder() const { return contrast_outer_; }
  void SetContrastOuterBorder(int v) { Store(contrast_outer_, v); }
  int ContrastInnerBorder() const { return contrast_inner_; }
  void SetContrastInnerBorder(int v) { Store(contrast_inner_, v); }
  int ContrastSunkenBorder() const { return contrast_sunken_; }
  void SetContrastSunkenBorder(int v) { Store(contrast_sunken_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  int ColorDown() const { return color_down_; }
  void SetColorDown(int v) { Store(color_down_, v); }
  int ColorHover() const { return color_hover_; }
  void SetColorHover(int v) { Store(color_hover_, v); }
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { Store(enabled_, v); }
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor v) { Store(font_color_, v); }
  const TBitmap32& Glyph() const { return glyph_; }
  TBitmap32& Glyph() { return glyph_; }   // direct access, as a stored form loads it; set NumGlyphs after
  void SetGlyph(const TBitmap32* glyph);  // copies; nullptr copies nothing but still resets the cells
  TGradientStyle Gradient() const { return gradient_; }
  void SetGradient(TGradientStyle v) { Store(gradient_, v); }
  const TVellFontContainer* VellFont() const { return vell_font_; }
  void SetVellFont(const TVellFontContainer* v) { Store(vell_font_, v); }
  int ImageIndex_Normal() const { return image_normal_; }
  void SetImageIndex_Normal(int v);
  int ImageIndex_Hover() const { return image_hover_; }
  void SetImageIndex_Hover(int v) { Store(image_hover_, v); }
  int ImageIndex_Pressed() const { return image_pressed_; }
  void SetImageIndex_Pressed(int v) { Store(image_pressed_, v); }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int v);
  int OffsetX() const { return offset_x_; }
  void SetOffsetX(int v) { Store(offset_x_, v); }
  int OffsetY() const { return offset_y_; }
  void SetOffsetY(int v) { Store(offset_y_, v); }
  bool Rounded() const { return rounded_; }
  void SetRounded(bool v) { Store(rounded_, v); }
  bool Sunken() const { return sunken_; }
  void SetSunken(bool v) { Store(sunken_, v); }
  bool Toggle() const { return toggle_; }
  void SetToggle(bool v);

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);  // the host's resize, which repaints by itself; recomputes CellWidth

  bool Hovered() const { return hovered_; }
  bool Pressed() const { return pressed_; }
  int CurrentImage() const { return current_image_; }
  int CellWidth() const { return cell_width_; }

  // Whether releasing this button now is a click: left button, pressed here, released over it.
  // The host asks before MouseUp, so the click sees the state from before the release.
  bool ReleaseClicks(MouseButton button) const;
  void MouseDown(MouseButton button);
  void MouseUp(MouseButton button);
  void MouseEnter();
  void MouseLeave();

  // Redraws the whole button over the backdrop the buffer already holds.
  void Paint(TBitmap32& buffer, CaptionPainter* captions);

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    field = value;
    Changed();
  }
  void Changed();
  void RecomputeCellWidth();
  bool DownLook() const;
  bool Hot() const;
  Rect PaintSunkenBevel(TBitmap32& buffer, Rect r) const;
  Rect PaintBorder(TBitmap32& buffer, Rect r) const;
  TColor32 PaintDownLines(TBitmap32& buffer, const Rect& r) const;  // returns the pressed face colour
  void PaintGradient(TBitmap32& buffer, const Rect& r, TColor32 c) const;
  void PaintCornerTint(TBitmap32& buffer, const Rect& r) const;
  void PaintGlyph(TBitmap32& buffer, const Rect& content);
  void PaintCaption(TBitmap32& buffer, const Rect& content, const Rect& face, CaptionPainter* captions) const;

  std::function<void()> on_change_;
  TColor border_color_ = clBlack;
  std::string caption_;
  int contrast_gradient_ = 15;
  int contrast_outer_ = 35;
  int contrast_inner_ = 5;
  int contrast_sunken_ = -20;
  TColor color_ = clBtnFace;
  int color_down_ = -15;
  int color_hover_ = 25;
  bool down_ = false;
  bool enabled_ = true;
  TColor font_color_ = clWindowText;
  TBitmap32 glyph_;
  TGradientStyle gradient_ = gsRaised;
  const TVellFontContainer* vell_font_ = nullptr;
  int image_normal_ = 0;
  int image_hover_ = -1;
  int image_pressed_ = -1;
  int num_glyphs_ = 1;
  int offset_x_ = 0;
  int offset_y_ = 0;
  bool rounded_ = true;
  bool sunken_ = false;
  bool toggle_ = false;

  int width_ = 32;
  int height_ = 32;
  bool hovered_ = false;
  bool pressed_ = false;
  int current_image_ = 0;
  int cell_width_ = 0;
};

}  // namespace orvimo
