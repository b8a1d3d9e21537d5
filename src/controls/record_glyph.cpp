#include "controls/record_glyph.h"

#include <algorithm>
#include <cmath>

namespace orvimo {
namespace {

// Distances are measured from pixel centres. Inside kSolidRadius a pixel is opaque, beyond
// kRimRadius transparent; between them the alpha falls linearly, giving a one-to-two pixel rim.
constexpr double kCentre = 12.0;
constexpr double kSolidRadius = 10.963;
constexpr double kRimRadius = 12.155;
// The light falls on pixel (11, 12); shading darkens with the distance from it.
constexpr double kLightX = 11.5, kLightY = 12.5;
constexpr double kShadeRadius = 11.5;
// Opaque pixels this far from the light form the outline: saturated, darker toward the edge.
constexpr double kOutlineFrom = 11.0, kOutlineTo = 11.41;

struct Ball {
  TColor32 (*body)(double t);  // opaque colour for a shade position t in 0..1
  TColor32 rim;
  bool red;
};

int Level(double v) { return std::clamp(int(std::lround(v)), 0, 255); }

TColor32 RedBody(double t) {
  const int v = Level(87.0 - 55.0 * t);
  return Color32(255, v, v);
}

TColor32 GreenBody(double t) { return Color32(47, Level(232.0 - 77.0 * t), 47); }

TColor32 Outline(bool red, double shade, double light_distance) {
  const double depth = std::clamp((light_distance - kOutlineFrom) / (kOutlineTo - kOutlineFrom), 0.0, 1.0);
  const int level = Level(252.0 - 24.0 * depth);
  if (red) return Color32(level, 0, 0);
  const TColor32 body = GreenBody(shade);
  const double f = level / 255.0;
  return Color32(Level(RedOf(body) * f), Level(GreenOf(body) * f), Level(BlueOf(body) * f));
}

TColor32 DiscPixel(const Ball& ball, int x, int y) {
  const double px = x + 0.5, py = y + 0.5;
  const double d = std::hypot(px - kCentre, py - kCentre);
  if (d >= kRimRadius) return 0;
  if (d > kSolidRadius) {
    const int alpha = Level(255.0 * (kRimRadius - d) / (kRimRadius - kSolidRadius));
    return alpha == 0 ? 0 : WithAlpha(ball.rim, alpha);
  }
  const double light_distance = std::hypot(px - kLightX, py - kLightY);
  const double shade = std::min(light_distance / kShadeRadius, 1.0);
  if (light_distance >= kOutlineFrom) return Outline(ball.red, shade, light_distance);
  return ball.body(shade);
}

}  // namespace

TBitmap32 MakeRecordButtonGlyph() {
  const Ball balls[2] = {{RedBody, Color32(72, 6, 6), true}, {GreenBody, Color32(44, 60, 44), false}};
  TBitmap32 strip(2 * kRecordGlyphCell, kRecordGlyphCell);
  for (int cell = 0; cell < 2; ++cell)
    for (int y = 0; y < kRecordGlyphCell; ++y)
      for (int x = 0; x < kRecordGlyphCell; ++x)
        strip.SetPixel(cell * kRecordGlyphCell + x, y, DiscPixel(balls[cell], x, y));
  return strip;
}

void SetUpRecordButton(TamborButtonCore& button) {
  button.SetBorderColor(clBlack);
  button.SetContrastGradient(15);
  button.SetContrastOuterBorder(35);
  button.SetContrastInnerBorder(5);
  button.SetContrastSunkenBorder(-20);
  button.SetColor(clBtnFace);
  button.SetColorDown(12);
  button.SetColorHover(25);
  button.SetGradient(gsRaised);
  button.SetRounded(false);
  button.SetSunken(false);
  button.SetToggle(false);
  const TBitmap32 glyph = MakeRecordButtonGlyph();
  button.SetGlyph(&glyph);
  button.SetNumGlyphs(2);
  button.SetImageIndex_Normal(0);
  button.SetImageIndex_Hover(1);
  button.SetImageIndex_Pressed(1);
}

}  // namespace orvimo
