#pragma once

// The window's controls as plain values, for the shared window logic without any widgets. The
// controls start as the window's layout sets them.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form_controls.h"

namespace orvimo::testing {

class FakeFormControls : public FormControls {
 public:
  std::map<ControlId, std::vector<std::string>> items;
  std::map<ControlId, int> indexes{{ControlId::cOutFormatB, 1},
                                   {ControlId::cOutFormatC, 1},
                                   {ControlId::cOutType, 0},
                                   {ControlId::cStopAt, 1},
                                   {ControlId::cWhenFinished, 0}};
  std::map<ControlId, int> spins{{ControlId::cOutHz, 44100}, {ControlId::seStopAt, 5}};
  std::map<ControlId, bool> checked{{ControlId::rbStopTime, true}};
  std::map<ControlId, TDateTime> pickers;
  std::map<ControlId, std::string> texts{{ControlId::eOutfile, "Recording_[i].wav"}};
  std::map<ControlId, std::string> hints;
  std::map<ControlId, uint32_t> colors;
  std::map<ControlId, bool> enabled;
  int glyph = 0;
  std::vector<RecordButtonState> buttonStates;  // every state the record button was told, in order
  std::vector<ControlId> focused;
  std::vector<int> meterLevels;
  struct TimerState {
    bool running = false;
    int interval = 0;
  };
  std::map<TimerId, TimerState> timers;
  TBitmap32 meter{229, 8};
  bool showing = false;
  std::vector<std::function<void()>> posted;
  int closes = 0;

  void PutListItems(ControlId list, const std::vector<std::string>& entries) override {
    items[list] = entries;
  }
  int ListIndex(ControlId list) const override { return Find(indexes, list, -1); }
  void PutListIndex(ControlId list, int index) override { indexes[list] = index; }
  int SpinValue(ControlId spin) const override { return Find(spins, spin, 0); }
  void PutSpinValue(ControlId spin, int value) override {
    spins[spin] = spin == ControlId::seStopAt ? std::clamp(value, 1, 999) : value;
  }
  bool IsChecked(ControlId button) const override { return Find(checked, button, false); }
  void PutChecked(ControlId button, bool value) override {
    checked[button] = value;
    if (!value) return;
    if (button == ControlId::rbStopTime) checked[ControlId::rbStopAt] = false;
    if (button == ControlId::rbStopAt) checked[ControlId::rbStopTime] = false;
  }
  TDateTime PickerValue(ControlId picker) const override { return Find(pickers, picker, 0.0); }
  void PutPickerValue(ControlId picker, TDateTime value) override { pickers[picker] = value; }
  std::string EditText(ControlId edit) const override { return Find(texts, edit, std::string()); }
  void PutEditText(ControlId edit, const std::string& bytes) override { texts[edit] = bytes; }
  void PutLabelText(ControlId label, const std::string& text) override { texts[label] = text; }
  void PutHint(ControlId control, const std::string& hint) override { hints[control] = hint; }
  void PutLabelColor(ControlId label, uint32_t color) override { colors[label] = color; }
  void PutEnabled(ControlId control, bool value) override { enabled[control] = value; }
  void PutFocus(ControlId control) override { focused.push_back(control); }
  void PutRecordGlyph(int imageIndex) override { glyph = imageIndex; }
  void PutRecordButtonState(RecordButtonState state) override { buttonStates.push_back(state); }
  void StartTimer(TimerId timer) override { timers[timer].running = true; }
  void StopTimer(TimerId timer) override { timers[timer].running = false; }
  bool TimerRunning(TimerId timer) const override { return Find(timers, timer, TimerState()).running; }
  int TimerInterval(TimerId timer) const override { return Find(timers, timer, TimerState()).interval; }
  void PutTimerInterval(TimerId timer, int milliseconds) override { timers[timer].interval = milliseconds; }
  TBitmap32& MeterBuffer() override { return meter; }
  void FlushMeter() override {}
  void PutMeterLevel(int percent) override { meterLevels.push_back(percent); }
  bool WindowShowing() const override { return showing; }
  void PostCall(std::function<void()> call) override { posted.push_back(std::move(call)); }
  void CloseWindow() override { ++closes; }

 private:
  template <typename Map, typename Value>
  static Value Find(const Map& map, typename Map::key_type key, Value fallback) {
    const auto found = map.find(key);
    return found == map.end() ? fallback : found->second;
  }
};

}  // namespace orvimo::testing
