// The custom push/toggle button as a Win32 child window on a paint box: it feeds the pure core its mouse
// events, size and enabled state, has the parent paint the backdrop, and shows the core's picture in one
// block. It is a push button for the keyboard and assistive technology too: a tab stop, Space and Enter
// click it, and it tells MSAA its role, its name and its default action (the click).
#pragma once

#include <functional>
#include <memory>

#include "controls/bitmap32.h"
#include "controls/tambor_button_core.h"
#include "controls/win32/accessible_proxy.h"
#include "controls/win32/paint_box32.h"

namespace orvimo::win32 {

class TTamborButton : public TPaintBox32 {
 public:
  TTamborButton(HWND parent, int x, int y, int width, int height);

  TamborButtonCore& Core() { return core_; }  // every setter repaints the window
  const TamborButtonCore& Core() const { return core_; }

  // Draws the button into its back buffer exactly as the next paint shows it.
  const TBitmap32& RenderBuffer();
  // The glyph as set for 96 dpi, resampled pixel by pixel for this density.
  void ScaleGlyph(int dpi);

  // What assistive technology reads beyond the push-button role; the owner fills in the texts.
  AccessibleFacts& Accessible() { return *accessible_; }

  // The events, on the GUI thread. A click is a left press and release over the button, delivered
  // before the button's own release handling.
  std::function<void()> OnClick;
  std::function<void(MouseButton)> OnMouseDown;
  std::function<void(MouseButton)> OnMouseUp;

 protected:
  void Render() override { RenderBuffer(); }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintBackdrop();
  void Press(MouseButton button);
  void Release(MouseButton button, POINT at);
  void Move(POINT at);
  bool Inside(POINT at) const;
  UINT DialogCode(const MSG* message) const;
  void KeyDown(WPARAM key, LPARAM flags);
  void Click();
  void PaintFocusMark(TBitmap32& buffer) const;

  TamborButtonCore core_;
  HFONT font_ = nullptr;
  TBitmap32 designGlyph_;  // the glyph as set, before any density resampled it
  std::shared_ptr<AccessibleFacts> accessible_;
};

}  // namespace orvimo::win32
