#include "app/form_storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "settings_controls.h"
#include "settings_fakes.h"

namespace orvimo {
namespace {

using testing::FakeSettingsBackend;
using testing::FakeWindowPlacement;
using testing::StoredControls;
using Writes = std::vector<std::pair<std::string, std::string>>;

class FormStorageTest : public ::testing::Test {
 protected:
  bool Called(const std::string& call) const {
    return std::find(backend.calls.begin(), backend.calls.end(), call) != backend.calls.end();
  }

  FakeSettingsBackend backend;
  FakeWindowPlacement window;
  StoredControls controls;
  TFormStorage storage{backend, window, controls.Properties()};
};

TEST_F(FormStorageTest, FirstRunKeepsTheControlsAndTheSaveWritesEveryValue) {
  storage.Restore();

  EXPECT_TRUE(storage.Restored());
  EXPECT_EQ(backend.calls.front(), "open");
  EXPECT_FALSE(controls.AnySet());
  EXPECT_FALSE(window.applied.has_value());
  EXPECT_FALSE(window.positionDesigned);
  EXPECT_TRUE(backend.writes.empty());

  storage.Save();

  EXPECT_TRUE(storage.Saved());
  const Writes expected = {
      {"FormVersion", "0"},
      {"Flags", "0"},
      {"ShowCmd", "1"},
      {"PixelsPerInch", "96"},
      {"MinMaxPos(1920x1080)", "-1,-1,-1,-1"},
      {"MinMaxPos", "-1,-1,-1,-1"},
      {"NormPos(1920x1080)", "100,100,385,380"},
      {"NormPos", "100,100,385,380"},
      {"Visible", "0"},
      {"cbStop_Checked", "False"},
      {"cOutFormatB_ItemIndex", "1"},
      {"cOutFormatC_ItemIndex", "1"},
      {"cOutHz_Value", "44100"},
      {"cOutType_ItemIndex", "0"},
      {"cStopAt_ItemIndex", "1"},
      {"cWhenFinished_ItemIndex", "0"},
      {"dtStart_Date", "46362.9233564815"},
      {"dtStop_Date", "46362.5"},
      {"dtTStart_Time", "0.25"},
      {"dtTStop_Time", "46362.75"},
      {"rbStopAt_Checked", "False"},
      {"rbStopTime_Checked", "True"},
      {"seStopAt_Value", "5"},
  };
  EXPECT_EQ(backend.writes, expected);
  EXPECT_EQ(backend.calls.back(), "close");
}

TEST_F(FormStorageTest, SecondRunReadsBackWhatTheFirstSaved) {
  storage.Restore();
  storage.Save();
  StoredControls changed;
  for (const StoredProperty& property : changed.Properties()) changed[property.name].value = 0;
  TFormStorage next(backend, window, changed.Properties());

  next.Restore();

  for (const StoredProperty& property : controls.Properties())
    EXPECT_DOUBLE_EQ(changed[property.name].value, controls[property.name].value) << property.name;
}

struct PropertyCase {
  std::string name, stored;
  double initial;
  std::optional<double> expectedSet;  // nullopt: the setter is not called
  friend void PrintTo(const PropertyCase& c, std::ostream* out) {
    *out << c.name << " = \"" << c.stored << '"';
  }
};

class FormStoragePropertyTest : public FormStorageTest, public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(FormStoragePropertyTest, AppliesStoredText) {
  const PropertyCase& c = GetParam();
  controls[c.name].value = c.initial;
  backend.values[c.name] = c.stored;

  storage.Restore();

  if (c.expectedSet) {
    ASSERT_EQ(controls[c.name].setValues.size(), 1u);
    EXPECT_DOUBLE_EQ(controls[c.name].setValues[0], *c.expectedSet);
  } else {
    EXPECT_TRUE(controls[c.name].setValues.empty());
    EXPECT_EQ(controls[c.name].value, c.initial);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FormStoragePropertyTest,
    ::testing::Values(
        PropertyCase{"cOutFormatB_ItemIndex", "0", 1, 0}, PropertyCase{"cStopAt_ItemIndex", " 2\t", 1, 2},
        PropertyCase{"cWhenFinished_ItemIndex", "$3", 0, 3},
        PropertyCase{"cOutFormatB_ItemIndex", "abc", 1, 0}, PropertyCase{"cOutFormatC_ItemIndex", "", 1, 0},
        PropertyCase{"cOutFormatC_ItemIndex", "1.0", 1, 0}, PropertyCase{"cbStop_Checked", "True", 0, 1},
        PropertyCase{"cbStop_Checked", " tRUE ", 0, 1}, PropertyCase{"rbStopTime_Checked", "FALSE", 1, 0},
        PropertyCase{"cbStop_Checked", "yes", 0, std::nullopt},
        PropertyCase{"rbStopAt_Checked", "1", 0, std::nullopt},
        PropertyCase{"dtStart_Date", "46363.5", StoredControls::kStartDate, 46363.5},
        PropertyCase{"dtTStop_Time", "  0.75 ", 0.5, 0.75},
        PropertyCase{"cOutHz_Value", "22050", 44100, 22050},
        PropertyCase{"seStopAt_Value", "1,5", 5, std::nullopt},
        PropertyCase{"seStopAt_Value", "five", 5, std::nullopt},
        PropertyCase{"seStopAt_Value", "nan", 5, std::nullopt},
        PropertyCase{"dtStop_Date", "inf", 46362.5, std::nullopt}));

TEST_F(FormStorageTest, OnePropertyFailingDoesNotStopTheOthers) {
  backend.nonStringValues.insert("cbStop_Checked");
  controls["cOutFormatB_ItemIndex"].value = 1;
  backend.values["cOutFormatB_ItemIndex"] = "0";
  // A setter whose change handling throws.
  std::vector<StoredProperty> properties = controls.Properties();
  properties[2].set = [](double) { throw std::runtime_error("handler failed"); };
  backend.values["cOutFormatC_ItemIndex"] = "0";
  backend.values["seStopAt_Value"] = "7";
  TFormStorage tolerant(backend, window, properties);

  tolerant.Restore();

  EXPECT_TRUE(tolerant.Restored());
  EXPECT_EQ(controls["cOutFormatB_ItemIndex"].value, 0);
  EXPECT_EQ(controls["seStopAt_Value"].value, 7);
}

struct PlacementCase {
  std::string description;
  std::map<std::string, std::string> stored;
  int storedPixelsPerInch;                  // what the screen has now is 96
  std::optional<WindowPlacement> expected;  // nullopt: the window is left where it is
  friend void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.description; }
};

class FormStoragePlacementTest : public FormStorageTest,
                                 public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(FormStoragePlacementTest, RestoresOnlyTheCorner) {
  const PlacementCase& c = GetParam();
  backend.values = c.stored;
  window.placement = {.flags = 0, .showCmd = 1, .left = 100, .top = 100, .right = 385, .bottom = 380};
  backend.values["PixelsPerInch"] = std::to_string(c.storedPixelsPerInch);
  backend.values["cOutFormatB_ItemIndex"] = "0";

  storage.Restore();

  EXPECT_EQ(controls["cOutFormatB_ItemIndex"].value, 0) << "properties are restored in any case";
  EXPECT_EQ(window.positionDesigned, c.expected.has_value());
  ASSERT_EQ(window.applied.has_value(), c.expected.has_value());
  if (!c.expected) return;
  const WindowPlacement& a = *window.applied;
  const WindowPlacement& e = *c.expected;
  EXPECT_EQ((std::vector<int>{a.flags, a.showCmd, a.minX, a.minY, a.maxX, a.maxY, a.left, a.top, a.right,
                              a.bottom}),
            (std::vector<int>{e.flags, e.showCmd, e.minX, e.minY, e.maxX, e.maxY, e.left, e.top, e.right,
                              e.bottom}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormStoragePlacementTest,
    ::testing::Values(PlacementCase{"screen-sized names win; stored size and show state are ignored",
                                    {{"Flags", "2"},
                                     {"ShowCmd", "3"},
                                     {"MinMaxPos(1920x1080)", "1,2,3,4"},
                                     {"MinMaxPos", "9,9,9,9"},
                                     {"NormPos(1920x1080)", "300,200,900,900"},
                                     {"NormPos", "10,10,295,290"}},
                                    96,
                                    WindowPlacement{2, 1, 1, 2, 3, 4, 300, 200, 585, 480}},
                      PlacementCase{"plain names after a change of resolution",
                                    {{"MinMaxPos(1024x768)", "1,2,3,4"},
                                     {"MinMaxPos", "-1 -1 -1 -1"},
                                     {"NormPos(1024x768)", "5,5,290,285"},
                                     {"NormPos", "40, 60,325,340"}},
                                    96,
                                    WindowPlacement{0, 1, -1, -1, -1, -1, 40, 60, 325, 340}},
                      PlacementCase{"an empty screen-sized text counts as missing",
                                    {{"NormPos(1920x1080)", ""}, {"NormPos", "40,60,1,1"}},
                                    96,
                                    WindowPlacement{0, 1, -1, -1, -1, -1, 40, 60, 325, 340}},
                      PlacementCase{"malformed numbers: the corner keeps its part, min/max become 0",
                                    {{"MinMaxPos", "7,x"}, {"NormPos", "x,250"}},
                                    96,
                                    WindowPlacement{0, 1, 7, 0, 0, 0, 100, 250, 385, 530}},
                      PlacementCase{
                          "another pixels-per-inch", {{"NormPos", "40,60,325,340"}}, 120, std::nullopt},
                      PlacementCase{"nothing stored", {}, 96, std::nullopt}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return "Case" + std::to_string(info.index); });

struct ReachableCase {
  std::string description;
  std::vector<ScreenRect> screens;
  std::string storedPlace;
  ScreenPoint expected;
  friend void PrintTo(const ReachableCase& c, std::ostream* out) { *out << c.description; }
};

class FormStorageReachableTest : public FormStorageTest,
                                 public ::testing::WithParamInterface<ReachableCase> {};

TEST_P(FormStorageReachableTest, KeepsTitleBarAndRecordButtonOnAScreen) {
  const ReachableCase& c = GetParam();
  window.screens = c.screens;
  window.vitalParts = {{0, -24, 285, 0}, {5, 5, 47, 45}};  // title bar above the client area, button
  backend.values["NormPos"] = c.storedPlace;

  storage.Restore();

  ASSERT_TRUE(window.applied.has_value());
  EXPECT_EQ(window.applied->left, c.expected.x);
  EXPECT_EQ(window.applied->top, c.expected.y);
  EXPECT_EQ(window.applied->right - window.applied->left, 285) << "the size stays the window's own";
}

const std::vector<ScreenRect> kOneScreen{{0, 0, 1920, 1080}};
const std::vector<ScreenRect> kTwoScreens{{0, 0, 1920, 1080}, {1920, 0, 3200, 720}};

INSTANTIATE_TEST_SUITE_P(
    Cases, FormStorageReachableTest,
    ::testing::Values(
        ReachableCase{"on the screen: kept", kOneScreen, "300,200,585,480", {300, 200}},
        ReachableCase{
            "title bar above the screen (a Wayland session's place)", kOneScreen, "-3,-30,282,250", {0, 24}},
        ReachableCase{"past the right edge", kOneScreen, "1800,500,2085,780", {1635, 500}},
        ReachableCase{"record button below the bottom edge", kOneScreen, "400,1050,685,1330", {400, 1035}},
        ReachableCase{
            "across two screens, wholly on them: kept", kTwoScreens, "1800,100,2085,380", {1800, 100}},
        ReachableCase{
            "below the smaller screen: onto the nearer one", kTwoScreens, "2000,900,2285,1180", {2000, 675}},
        ReachableCase{"screens unknown: kept as stored", {}, "-3,-30,282,250", {-3, -30}}),
    [](const ::testing::TestParamInfo<ReachableCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(FormStorageTest, AWindowThatDoesNotKnowItsPositionStoresAndRestoresNone) {
  window.knowsPosition = false;
  backend.values = {{"NormPos", "40,60,325,340"}, {"MinMaxPos", "1,2,3,4"}};

  storage.Restore();
  storage.Save();

  EXPECT_FALSE(window.applied.has_value());
  EXPECT_EQ(backend.values["NormPos"], "40,60,325,340") << "the place another session stored stays";
  for (const auto& [name, value] : backend.writes) EXPECT_EQ(name.find("Pos"), std::string::npos) << name;
  EXPECT_EQ(backend.values["PixelsPerInch"], "96");
  EXPECT_EQ(backend.values["Visible"], "0");
}

TEST_F(FormStorageTest, AWindowWithoutWidthIsNotPlaced) {
  window.placement.right = window.placement.left;
  backend.values["NormPos"] = "40,60,325,340";

  storage.Restore();

  EXPECT_FALSE(window.applied.has_value());
  EXPECT_FALSE(window.positionDesigned);
}

TEST_F(FormStorageTest, FormVersion) {
  for (const auto& [stored, readsOn] : std::vector<std::pair<std::optional<std::string>, bool>>{
           {std::nullopt, true}, {"0", true}, {"junk", true}, {"1", true}, {"-1", false}}) {
    FakeSettingsBackend store;
    if (stored) store.values["FormVersion"] = *stored;
    store.values["NormPos"] = "40,60,325,340";
    store.values["cStopAt_ItemIndex"] = "2";
    StoredControls fresh;
    FakeWindowPlacement freshWindow;
    TFormStorage versioned(store, freshWindow, fresh.Properties());

    versioned.Restore();

    EXPECT_TRUE(versioned.Restored()) << stored.value_or("missing");
    EXPECT_EQ(fresh["cStopAt_ItemIndex"].value == 2, readsOn) << stored.value_or("missing");
    EXPECT_EQ(freshWindow.applied.has_value(), readsOn) << stored.value_or("missing");
  }
}

TEST_F(FormStorageTest, InactiveStoreTouchesNothing) {
  storage.SetActive(false);
  backend.values["cStopAt_ItemIndex"] = "2";

  storage.Restore();
  storage.Save();
  storage.Save(true);

  EXPECT_FALSE(storage.Active());
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_FALSE(storage.Restored());
  EXPECT_FALSE(storage.Saved());
  EXPECT_FALSE(controls.AnySet());
}

TEST_F(FormStorageTest, SaveWithoutRestoreWritesNothing) {
  storage.Save();
  storage.Save(true);

  EXPECT_TRUE(backend.calls.empty());
  EXPECT_FALSE(storage.Saved());
}

TEST_F(FormStorageTest, SaveOnDestructionMarksVisibleAndMinimisedShowState) {
  storage.Restore();
  window.minimized = true;

  storage.Save(true);

  EXPECT_EQ(backend.values["Visible"], "1");
  EXPECT_EQ(backend.values["ShowCmd"], "2");
  EXPECT_TRUE(storage.Saved());
}

TEST_F(FormStorageTest, DestructionAfterASaveWritesNothingMore) {
  storage.Restore();
  storage.Save();
  const size_t callsAfterSave = backend.calls.size();

  storage.Save(true);

  EXPECT_EQ(backend.calls.size(), callsAfterSave);
  EXPECT_EQ(backend.values["Visible"], "0");
}

TEST_F(FormStorageTest, RestoreClearsTheSavedFlag) {
  storage.Restore();
  storage.Save();
  ASSERT_TRUE(storage.Saved());

  storage.Restore();

  EXPECT_FALSE(storage.Saved());
}

TEST_F(FormStorageTest, NonTextWindowValueEndsTheRestoreAndBlocksTheSave) {
  backend.nonStringValues.insert("Flags");
  backend.values["cStopAt_ItemIndex"] = "2";

  try {
    storage.Restore();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'Flags'");
  }

  EXPECT_FALSE(storage.Restored());
  EXPECT_FALSE(controls.AnySet());
  backend.calls.clear();
  storage.Save();
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(FormStorageTest, FailedKeyCreationEndsTheSave) {
  storage.Restore();
  backend.failCreate = true;

  EXPECT_THROW(storage.Save(), std::runtime_error);

  EXPECT_FALSE(storage.Saved());
  EXPECT_TRUE(backend.writes.empty());
}

TEST_F(FormStorageTest, FailedWriteEndsTheSaveAndStillFlushes) {
  storage.Restore();
  backend.failWriteName = "dtStart_Date";

  try {
    storage.Save();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'dtStart_Date'");
  }

  EXPECT_FALSE(storage.Saved());
  EXPECT_FALSE(backend.values.count("dtStop_Date"));
  EXPECT_EQ(backend.calls.back(), "close");
}

}  // namespace
}  // namespace orvimo
