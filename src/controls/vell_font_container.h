// Owns one bitmap font, so several buttons can refer to the same font through one object. The
// container must outlive every button that refers to it.
#pragma once

#include "controls/vell_font.h"

namespace orvimo {

class TVellFontContainer {
 public:
  TVellFont& BitmapFont() { return font_; }
  const TVellFont& BitmapFont() const { return font_; }

 private:
  TVellFont font_;
};

}  // namespace orvimo
