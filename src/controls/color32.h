// Window colours (TColor) and bitmap pixel colours (TColor32), and the arithmetic the custom
// controls draw with. Every function is exact to the level: buttons must come out the same on
// every machine.
#pragma once

#include <cstdint>
#include <functional>

namespace orvimo {

using TColor = uint32_t;    // 0x00BBGGRR; top bit set: system colour, index in the low byte
using TColor32 = uint32_t;  // 0xAARRGGBB

constexpr TColor clBlack = 0x00000000, clNone = 0x1FFFFFFF, clBtnFace = 0xFF00000F;
constexpr TColor clWindowText = 0xFF000008;

// A system colour index resolved to an ordinary TColor.
using SystemColorTable = std::function<TColor(int index)>;

TColor32 ToColor32(TColor c);
TColor32 ShiftBrightness(TColor32 c, int n);
TColor32 WithAlpha(TColor32 c, int a);
TColor32 MixColors(TColor32 x, TColor32 y, int w);
TColor32 BlendPixel(TColor32 p, TColor32 c);

// The application feeds the toolkit's palette here; an empty function restores the classic table.
void SetSystemColorTable(SystemColorTable table);
TColor ClassicSystemColor(int index);

constexpr TColor32 Color32(int r, int g, int b, int a = 255) {
  return (TColor32(a & 0xFF) << 24) | (TColor32(r & 0xFF) << 16) | (TColor32(g & 0xFF) << 8) |
         TColor32(b & 0xFF);
}
constexpr int AlphaOf(TColor32 c) { return int(c >> 24); }
constexpr int RedOf(TColor32 c) { return int((c >> 16) & 0xFF); }
constexpr int GreenOf(TColor32 c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor32 c) { return int(c & 0xFF); }

}  // namespace orvimo
