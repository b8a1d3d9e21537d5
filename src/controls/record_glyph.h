// The record button's picture strip: two 24 x 24 discs side by side, a red ball (idle) and a
// green ball (recording), anti-aliased, with a soft highlight just left of the centre.
#pragma once

#include "controls/bitmap32.h"
#include "controls/tambor_button_core.h"

namespace orvimo {

constexpr int kRecordGlyphCell = 24;

TBitmap32 MakeRecordButtonGlyph();

// The record button's look: black border, raised gradient on the button face, the red disc at rest and
// the green one under the mouse and while pressed.
void SetUpRecordButton(TamborButtonCore& button);

}  // namespace orvimo
