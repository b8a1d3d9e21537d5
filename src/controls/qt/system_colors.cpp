#include "controls/qt/system_colors.h"

#include <QApplication>
#include <QPalette>

#include <optional>

#include "controls/color32.h"

namespace orvimo {
namespace {

struct PaletteEntry {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// System colour indices mapped to the palette role that plays the same part.
std::optional<PaletteEntry> EntryFor(int index) {
  using P = QPalette;
  switch (index) {
    case 0:
    case 4:
    case 10:
    case 11:
    case 15:
    case 30:
      return PaletteEntry{P::Active, P::Button};
    case 1:
      return PaletteEntry{P::Active, P::Window};
    case 2:
    case 13:
    case 27:
    case 29:
      return PaletteEntry{P::Active, P::Highlight};
    case 3:
    case 28:
      return PaletteEntry{P::Inactive, P::Highlight};
    case 5:
      return PaletteEntry{P::Active, P::Base};
    case 6:
    case 21:
      return PaletteEntry{P::Active, P::Shadow};
    case 7:
    case 8:
      return PaletteEntry{P::Active, P::WindowText};
    case 9:
    case 14:
      return PaletteEntry{P::Active, P::HighlightedText};
    case 12:
    case 16:
      return PaletteEntry{P::Active, P::Dark};
    case 17:
      return PaletteEntry{P::Disabled, P::Text};
    case 18:
      return PaletteEntry{P::Active, P::ButtonText};
    case 19:
      return PaletteEntry{P::Inactive, P::HighlightedText};
    case 20:
      return PaletteEntry{P::Active, P::Light};
    case 22:
      return PaletteEntry{P::Active, P::Midlight};
    case 23:
      return PaletteEntry{P::Active, P::ToolTipText};
    case 24:
      return PaletteEntry{P::Active, P::ToolTipBase};
    case 26:
      return PaletteEntry{P::Active, P::Link};
    default:
      return std::nullopt;
  }
}

TColor FromQColor(const QColor& c) {
  return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}

}  // namespace

void InstallQtSystemColorTable() {
  // Read at each use, so a palette change shows at the next paint.
  SetSystemColorTable([](int index) -> TColor {
    const std::optional<PaletteEntry> entry = EntryFor(index);
    if (!entry || qApp == nullptr) return ClassicSystemColor(index);
    return FromQColor(QApplication::palette().color(entry->group, entry->role));
  });
}

}  // namespace orvimo
