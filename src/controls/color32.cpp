#include "controls/color32.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvimo {
namespace {

// The classic Windows palette, by system colour index, as 0x00BBGGRR.
constexpr std::array<TColor, 31> kClassicTable = {
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3D dark shadow
    0xDFDFDF,  // 3D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0xB5B5B5,  // (unused slot)
    0xFF0000,  // hot light
    0xD08410,  // gradient active caption
    0xB5B5B5,  // gradient inactive caption
    0xC56A31,  // menu highlight
    0xC0C0C0,  // menu bar
};

SystemColorTable& CurrentTable() {
  static SystemColorTable table;
  return table;
}

int ClampLevel(int v) { return std::clamp(v, 0, 255); }

}  // namespace

TColor ClassicSystemColor(int index) {
  if (index < 0 || index >= int(kClassicTable.size())) return clBlack;
  return kClassicTable[size_t(index)];
}

void SetSystemColorTable(SystemColorTable table) { CurrentTable() = std::move(table); }

TColor32 ToColor32(TColor c) {
  if (c & 0x80000000u) {
    const int index = int(c & 0xFF);
    const SystemColorTable& table = CurrentTable();
    c = table ? table(index) : ClassicSystemColor(index);
  }
  return Color32(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor32 ShiftBrightness(TColor32 c, int n) {
  return Color32(ClampLevel(RedOf(c) + n), ClampLevel(GreenOf(c) + n), ClampLevel(BlueOf(c) + n), AlphaOf(c));
}

TColor32 WithAlpha(TColor32 c, int a) { return (c & 0x00FFFFFF) | (TColor32(ClampLevel(a)) << 24); }

TColor32 MixColors(TColor32 x, TColor32 y, int w) {
  w = std::clamp(w, 0, 256);
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = int((x >> shift) & 0xFF), b = int((y >> shift) & 0xFF);
    result |= TColor32(((a * w + b * (256 - w) + 128) >> 8) & 0xFF) << shift;
  }
  return result;
}

TColor32 BlendPixel(TColor32 p, TColor32 c) {
  const int a = AlphaOf(c);
  if (a == 0) return p;
  if (a == 255) return c;
  return MixColors(c, p, a);
}

}  // namespace orvimo
