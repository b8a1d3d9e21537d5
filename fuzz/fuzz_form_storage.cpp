// Hostile settings files: every stored value comes from the fuzzer. Restoring must never crash, must
// give each property only a value of its kind, and what a restore leaves must survive a save and a
// second restore unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/form_storage.h"
#include "app/settings_backend.h"
#include "app/window_placement.h"

namespace {

// Names the broken invariant before the fuzzer records the input.
#define Require(condition)                                                                     \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (false)

const char* const kWindowValueNames[] = {
    "FormVersion",       "Flags",  "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos", "MinMaxPos(1024x768)",
    "NormPos(1024x768)", "Visible"};

struct PropertySpec {
  const char* name;
  orvimo::StoredKind kind;
};

const PropertySpec kProperties[] = {
    {"cbStop_Checked", orvimo::StoredKind::Boolean},
    {"cOutFormatB_ItemIndex", orvimo::StoredKind::Integer},
    {"cOutFormatC_ItemIndex", orvimo::StoredKind::Integer},
    {"cOutHz_Value", orvimo::StoredKind::Extended},
    {"cOutType_ItemIndex", orvimo::StoredKind::Integer},
    {"cStopAt_ItemIndex", orvimo::StoredKind::Integer},
    {"cWhenFinished_ItemIndex", orvimo::StoredKind::Integer},
    {"dtStart_Date", orvimo::StoredKind::Double},
    {"dtStop_Date", orvimo::StoredKind::Double},
    {"dtTStart_Time", orvimo::StoredKind::Double},
    {"dtTStop_Time", orvimo::StoredKind::Double},
    {"rbStopAt_Checked", orvimo::StoredKind::Boolean},
    {"rbStopTime_Checked", orvimo::StoredKind::Boolean},
    {"seStopAt_Value", orvimo::StoredKind::Extended},
};
constexpr size_t kPropertyCount = sizeof(kProperties) / sizeof(kProperties[0]);

// An INI file in memory. A value marked binary fails its read as a non-text registry value would.
class MemoryBackend : public orvimo::SettingsBackend {
 public:
  std::map<std::string, std::string> values;
  std::map<std::string, bool> binary;

  void OpenProgramKey() override {}
  std::optional<std::string> Read(const std::string& name) override {
    if (binary[name]) throw std::runtime_error("Invalid data type for '" + name + "'");
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void OpenForWrite() override {}
  void Write(const std::string& name, const std::string& value) override { values[name] = value; }
  void Close() override {}
};

class FakeWindow : public orvimo::WindowPlacementAccess {
 public:
  orvimo::WindowPlacement placement{0, 1, -1, -1, -1, -1, 100, 100, 420, 380};
  int setCount = 0;

  orvimo::WindowPlacement Get() const override { return placement; }
  void Set(const orvimo::WindowPlacement& p) override {
    // The window has a fixed size: a restore may move it, never resize it.
    Require(p.right - p.left == placement.right - placement.left);
    Require(p.bottom - p.top == placement.bottom - placement.top);
    placement = p;
    ++setCount;
  }
  void SetPositionDesigned() override {}
  int PixelsPerInch() const override { return 96; }
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  bool ApplicationMinimized() const override { return false; }
};

// The controls behind the fourteen properties, checking that every value set fits its kind.
struct Controls {
  double values[kPropertyCount] = {1, 1, 1, 44100, 0, 0, 0, 46362.5, 46362.6, 46362.5, 46362.6, 1, 0, 5};

  std::vector<orvimo::StoredProperty> Properties() {
    std::vector<orvimo::StoredProperty> properties;
    for (size_t i = 0; i < kPropertyCount; ++i) {
      const orvimo::StoredKind kind = kProperties[i].kind;
      properties.push_back({kProperties[i].name, kind, [this, i] { return values[i]; },
                            [this, i, kind](double value) {
                              Require(std::isfinite(value));
                              if (kind == orvimo::StoredKind::Boolean) Require(value == 0 || value == 1);
                              if (kind == orvimo::StoredKind::Integer)
                                Require(value == std::trunc(value) && std::fabs(value) <= 2147483648.0);
                              values[i] = value;
                            }});
    }
    return properties;
  }
};

bool SameValue(orvimo::StoredKind kind, double a, double b) {
  if (kind == orvimo::StoredKind::Double) return a == b || std::fabs(a - b) <= std::fabs(a) * 1e-14;
  return a == b;
}

std::string ConsumeStoredText(FuzzedDataProvider& input, const std::string& name, orvimo::StoredKind kind) {
  // Mostly text of the right shape, sometimes anything at all: both paths must hold.
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return std::to_string(input.ConsumeIntegral<int64_t>());
    case 1:
      return kind == orvimo::StoredKind::Boolean ? (input.ConsumeBool() ? " tRuE " : "False")
                                                 : std::to_string(input.ConsumeFloatingPoint<double>());
    default:
      (void)name;
      return input.ConsumeRandomLengthString(48);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  MemoryBackend stored;
  for (const char* name : kWindowValueNames) {
    if (input.ConsumeBool()) stored.values[name] = input.ConsumeRandomLengthString(48);
    stored.binary[name] = input.ConsumeIntegralInRange<int>(0, 31) == 0;
  }
  for (const PropertySpec& property : kProperties) {
    if (input.ConsumeBool())
      stored.values[property.name] = ConsumeStoredText(input, property.name, property.kind);
    stored.binary[property.name] = input.ConsumeIntegralInRange<int>(0, 31) == 0;
  }

  FakeWindow window;
  Controls controls;
  orvimo::TFormStorage storage(stored, window, controls.Properties());
  try {
    storage.Restore();
  } catch (const std::runtime_error&) {
    // A binary window value ends the restore; nothing may be saved in such a run.
    Require(!storage.Restored());
    storage.Save();
    Require(!storage.Saved());
    return 0;
  }
  Require(storage.Restored());

  // Round trip: what the controls hold now is saved, and a second run restores exactly that.
  MemoryBackend saved;
  storage.Save();
  Require(storage.Saved());
  orvimo::TFormStorage writer(saved, window, controls.Properties());
  writer.Restore();
  writer.Save();
  Controls second;
  for (double& value : second.values) value = -7;  // nothing left over from the first run
  orvimo::TFormStorage reader(saved, window, second.Properties());
  reader.Restore();
  for (size_t i = 0; i < kPropertyCount; ++i)
    Require(SameValue(kProperties[i].kind, controls.values[i], second.values[i]));
  return 0;
}
