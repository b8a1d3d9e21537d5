#include "app/form_storage.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "base/float_text.h"
#include "base/int_conversion.h"

namespace orvimo {

namespace {

constexpr int kMinimisedShowCmd = 2;

std::string Trim(const std::string& text) {
  // Blanks and control characters, as a hand-edited store may hold tabs or line ends.
  size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

std::optional<int> TryStrToInt(const std::string& text) {
  try {
    return StrToInt(text);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

bool EqualsIgnoringCase(const std::string& text, const std::string& word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(word[i])) return false;
  }
  return true;
}

// Four numbers separated by blanks and commas; runs of separators count as one.
std::vector<std::optional<int>> SplitFourNumbers(const std::string& text) {
  std::vector<std::optional<int>> numbers;
  size_t pos = 0;
  while (numbers.size() < 4) {
    pos = text.find_first_not_of(" ,", pos);
    if (pos == std::string::npos) break;
    size_t end = text.find_first_of(" ,", pos);
    if (end == std::string::npos) end = text.size();
    numbers.push_back(TryStrToInt(text.substr(pos, end - pos)));
    pos = end;
  }
  numbers.resize(4);
  return numbers;
}

std::string JoinFour(int a, int b, int c, int d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

std::string PropertyText(const StoredProperty& property) {
  const double value = property.get();
  switch (property.kind) {
    case StoredKind::Integer:
      return std::to_string(std::llround(value));
    case StoredKind::Boolean:
      return value != 0 ? "True" : "False";
    case StoredKind::Double:
      return FloatToStrGeneral(value, 15);
    case StoredKind::Extended:
      return FloatToStrGeneral(value, 18);
  }
  return {};
}

// Applies stored text to the property; text that does not fit the kind leaves it alone, except for
// integers, where it selects 0.
void ApplyText(const StoredProperty& property, const std::string& text) {
  switch (property.kind) {
    case StoredKind::Integer:
      property.set(TryStrToInt(text).value_or(0));
      return;
    case StoredKind::Boolean:
      if (EqualsIgnoringCase(text, "True"))
        property.set(1);
      else if (EqualsIgnoringCase(text, "False"))
        property.set(0);
      return;
    case StoredKind::Double:
    case StoredKind::Extended:
      // Only finite numbers may reach a date picker or a spin edit.
      if (std::optional<double> value = TextToFloat(text); value && std::isfinite(*value))
        property.set(*value);
      return;
  }
}

}  // namespace

TFormStorage::TFormStorage(SettingsBackend& backend, WindowPlacementAccess& window,
                           std::vector<StoredProperty> properties)
    : backend_(backend), window_(window), properties_(std::move(properties)) {}

void TFormStorage::SetActive(bool active) { active_ = active; }

bool TFormStorage::Active() const { return active_; }

bool TFormStorage::Restored() const { return restored_; }

bool TFormStorage::Saved() const { return saved_; }

void TFormStorage::Restore() {
  if (!active_) return;
  saved_ = false;
  backend_.OpenProgramKey();
  // A store written by a newer layout version than this one is left alone.
  if (ReadInt("FormVersion", 0) >= kVersion) {
    RestorePlacement();
    RestoreProperties();
  }
  restored_ = true;
}

void TFormStorage::Save(bool destroying) {
  // Nothing is written unless this run has read the store: a failed restore must not overwrite the
  // settings with start-up values. Destruction after a save writes nothing more.
  if (!active_ || !restored_ || (destroying && saved_)) return;
  backend_.OpenForWrite();
  try {
    backend_.Write("FormVersion", std::to_string(kVersion));
    WritePlacement(destroying);
    WriteProperties();
  } catch (...) {
    // Keep what was written before the failure, as the registry would; the first error is the one shown.
    try {
      backend_.Close();
    } catch (...) {
    }
    throw;
  }
  backend_.Close();
  saved_ = true;
}

int TFormStorage::ReadInt(const std::string& name, int fallback) {
  std::optional<std::string> text = backend_.Read(name);
  if (!text) return fallback;
  return TryStrToInt(Trim(*text)).value_or(fallback);
}

TFormStorage::FoundRect TFormStorage::ReadRect(const std::string& name) {
  std::optional<std::string> text = backend_.Read(ScreenSizedName(name));
  if (!text || text->empty()) text = backend_.Read(name);
  FoundRect rect;
  rect.found = text && !text->empty();
  rect.numbers = rect.found ? SplitFourNumbers(*text) : std::vector<std::optional<int>>(4);
  return rect;
}

void TFormStorage::RestorePlacement() {
  if (!window_.KnowsPosition()) return;
  WindowPlacement placement = window_.Get();
  const int width = placement.right - placement.left;
  const int height = placement.bottom - placement.top;

  placement.flags = ReadInt("Flags", placement.flags);
  const FoundRect minMax = ReadRect("MinMaxPos");
  if (minMax.found) {
    placement.minX = minMax.numbers[0].value_or(0);
    placement.minY = minMax.numbers[1].value_or(0);
    placement.maxX = minMax.numbers[2].value_or(0);
    placement.maxY = minMax.numbers[3].value_or(0);
  }
  const FoundRect normal = ReadRect("NormPos");
  if (normal.found) {
    placement.left = normal.numbers[0].value_or(placement.left);
    placement.top = normal.numbers[1].value_or(placement.top);
  }
  const int pixelsPerInch = window_.PixelsPerInch();
  const bool sameScale = ReadInt("PixelsPerInch", pixelsPerInch) == pixelsPerInch;
  if ((!minMax.found && !normal.found) || !sameScale) return;

  // The window has a fixed size: only the stored corner is used, moved where the user can reach the
  // window (a place from another screen layout may lie off every screen now).
  const ScreenPoint corner =
      KeepOnScreens({placement.left, placement.top}, window_.VitalParts(), window_.Screens());
  placement.left = corner.x;
  placement.top = corner.y;
  placement.right = placement.left + width;
  placement.bottom = placement.top + height;
  if (placement.left < placement.right) {
    window_.SetPositionDesigned();
    window_.Set(placement);
  }
}

void TFormStorage::RestoreProperties() {
  for (const StoredProperty& property : properties_) {
    try {
      RestoreProperty(property);
    } catch (const std::exception&) {
      // One unusable value must not cost the others.
    }
  }
}

void TFormStorage::RestoreProperty(const StoredProperty& property) {
  std::optional<std::string> stored = backend_.Read(property.name);
  // A missing value stands for the present one, so the property keeps what it has (re-applying its
  // own text would only round floats).
  if (!stored) return;
  ApplyText(property, Trim(*stored));
}

void TFormStorage::WritePlacement(bool destroying) {
  const WindowPlacement placement = window_.Get();
  backend_.Write("Flags", std::to_string(placement.flags));
  backend_.Write("ShowCmd",
                 std::to_string(window_.ApplicationMinimized() ? kMinimisedShowCmd : placement.showCmd));
  backend_.Write("PixelsPerInch", std::to_string(window_.PixelsPerInch()));
  // A position the window does not know would overwrite the one a session that knows it stored.
  if (window_.KnowsPosition()) WritePositions(placement);
  backend_.Write("Visible", destroying ? "1" : "0");
}

void TFormStorage::WritePositions(const WindowPlacement& placement) {
  const std::string minMax = JoinFour(placement.minX, placement.minY, placement.maxX, placement.maxY);
  backend_.Write(ScreenSizedName("MinMaxPos"), minMax);
  backend_.Write("MinMaxPos", minMax);
  const std::string normal = JoinFour(placement.left, placement.top, placement.right, placement.bottom);
  backend_.Write(ScreenSizedName("NormPos"), normal);
  backend_.Write("NormPos", normal);
}

void TFormStorage::WriteProperties() {
  for (const StoredProperty& property : properties_) {
    const std::string text = PropertyText(property);
    if (!text.empty()) backend_.Write(property.name, text);
  }
}

std::string TFormStorage::ScreenSizedName(const std::string& name) const {
  return name + "(" + std::to_string(window_.ScreenWidth()) + "x" + std::to_string(window_.ScreenHeight()) +
         ")";
}

}  // namespace orvimo
