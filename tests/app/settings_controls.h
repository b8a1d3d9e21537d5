#pragma once

// The main window's fourteen stored properties as plain values, each counting how it was set.

#include <map>
#include <string>
#include <vector>

#include "app/form_storage.h"

namespace orvimo::testing {

struct FakeControl {
  double value = 0;
  std::vector<double> setValues;
};

class StoredControls {
 public:
  // dtStart_Date: 6 December 2026, 22:09:38.
  static constexpr double kStartDate = 46362.0 + 79778.0 / 86400.0;

  StoredControls() {
    Add("cbStop_Checked", StoredKind::Boolean, 0);
    Add("cOutFormatB_ItemIndex", StoredKind::Integer, 1);
    Add("cOutFormatC_ItemIndex", StoredKind::Integer, 1);
    Add("cOutHz_Value", StoredKind::Extended, 44100);
    Add("cOutType_ItemIndex", StoredKind::Integer, 0);
    Add("cStopAt_ItemIndex", StoredKind::Integer, 1);
    Add("cWhenFinished_ItemIndex", StoredKind::Integer, 0);
    Add("dtStart_Date", StoredKind::Double, kStartDate);
    Add("dtStop_Date", StoredKind::Double, 46362.5);
    Add("dtTStart_Time", StoredKind::Double, 0.25);
    Add("dtTStop_Time", StoredKind::Double, 46362.75);
    Add("rbStopAt_Checked", StoredKind::Boolean, 0);
    Add("rbStopTime_Checked", StoredKind::Boolean, 1);
    Add("seStopAt_Value", StoredKind::Extended, 5);
  }

  StoredControls(const StoredControls&) = delete;
  StoredControls& operator=(const StoredControls&) = delete;

  FakeControl& operator[](const std::string& name) { return controls_[name]; }
  const std::vector<StoredProperty>& Properties() const { return properties_; }

  bool AnySet() const {
    for (const auto& [name, control] : controls_)
      if (!control.setValues.empty()) return true;
    return false;
  }

 private:
  void Add(const std::string& name, StoredKind kind, double initial) {
    FakeControl& control = controls_[name];
    control.value = initial;
    properties_.push_back({name, kind, [&control] { return control.value; },
                           [&control](double value) {
                             control.setValues.push_back(value);
                             control.value = value;
                           }});
  }

  std::map<std::string, FakeControl> controls_;  // node-based: the lambdas keep their references
  std::vector<StoredProperty> properties_;
};

}  // namespace orvimo::testing
