#include "app/win32/registry_settings_backend.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/form_storage.h"
#include "base/win32/wide_text.h"
#include "settings_controls.h"
#include "settings_fakes.h"

namespace orvimo::win32 {
namespace {

// Each test works under a key of its own in Wine's real registry and deletes it afterwards.
class RegistrySettingsBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exeName = "OrvimoTest" + std::to_string(GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeW(HKEY_CURRENT_USER, WideFromUtf8("Software\\" + exeName).c_str());
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, WideFromUtf8("Software\\" + exeName).c_str());
  }

  HKEY OpenSection() const {
    HKEY key = nullptr;
    const std::wstring path = WideFromUtf8("Software\\" + exeName + "\\TfrmMain");
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
  }
  void Plant(const std::string& name, DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    const std::wstring path = WideFromUtf8("Software\\" + exeName + "\\TfrmMain");
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::string exeName;
};

TEST_F(RegistrySettingsBackendTest, OpeningCreatesTheProgramKeyEmptyAndReadsNothing) {
  RegistrySettingsBackend backend(exeName);
  EXPECT_EQ(backend.ProgramKeyPath(), "Software\\" + exeName);

  backend.OpenProgramKey();

  HKEY programKey = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, WideFromUtf8("Software\\" + exeName).c_str(), 0, KEY_READ,
                          &programKey),
            ERROR_SUCCESS);
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyW(programKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(programKey);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);
  EXPECT_EQ(backend.Read("FormVersion"), std::nullopt);
}

TEST_F(RegistrySettingsBackendTest, WritesStringValuesThatReadBack) {
  const std::string name = "C:\\Aufnahmen \xC3\xA4\xE2\x82\xAC\\take.wav";  // ä €: beyond any one code page
  {
    RegistrySettingsBackend backend(exeName);
    backend.OpenForWrite();
    backend.Write("NormPos(1920x1080)", "100,100,385,380");
    backend.Write("Unicode", name);
    backend.Close();
  }
  HKEY section = OpenSection();
  ASSERT_NE(section, nullptr);
  DWORD type = 0;
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(
      RegQueryValueExW(section, L"NormPos(1920x1080)", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
      ERROR_SUCCESS);
  RegCloseKey(section);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(text), L"100,100,385,380");

  RegistrySettingsBackend reader(exeName);
  reader.OpenProgramKey();
  EXPECT_EQ(reader.Read("NormPos(1920x1080)"), "100,100,385,380");
  EXPECT_EQ(reader.Read("Unicode"), name);
  EXPECT_EQ(reader.Read("Missing"), std::nullopt);
}

TEST_F(RegistrySettingsBackendTest, OnlyStringKindsRead) {
  const DWORD number = 44100;
  const wchar_t expandable[] = L"44100";
  const wchar_t unterminated[] = {L'4', L'8', L'0', L'0', L'0'};
  Plant("dword", REG_DWORD, &number, sizeof number);
  Plant("binary", REG_BINARY, &number, sizeof number);
  Plant("expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  Plant("unterminated", REG_SZ, unterminated, sizeof unterminated);

  RegistrySettingsBackend backend(exeName);
  backend.OpenProgramKey();
  EXPECT_EQ(backend.Read("expand"), "44100");
  EXPECT_EQ(backend.Read("unterminated"), "48000");
  for (const std::string name : {"dword", "binary"}) {
    try {
      backend.Read(name);
      ADD_FAILURE() << name << " was read";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), ("Invalid data type for '" + name + "'").c_str());
    }
  }
}

// Names the registry refuses: a key name over 255 characters, a value name over 16383.
TEST_F(RegistrySettingsBackendTest, RefusedNamesGiveTheStoresErrors) {
  const std::string longKey(300, 'k');
  RegistrySettingsBackend refusedKey(longKey);
  try {
    refusedKey.OpenForWrite();
    ADD_FAILURE() << "the key was created";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to create key Software\\" + longKey + "\\TfrmMain");
  }

  const std::string longName(16384, 'v');
  RegistrySettingsBackend backend(exeName);
  backend.OpenForWrite();
  try {
    backend.Write(longName, "1");
    ADD_FAILURE() << "the value was written";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to set data for '" + longName + "'");
  }
}

// The whole store on the real registry: what one run saves, the next run restores.
TEST_F(RegistrySettingsBackendTest, TheFormStorageRoundTripsThroughTheRegistry) {
  {
    testing::StoredControls controls;
    testing::FakeWindowPlacement window;
    controls["cOutHz_Value"].value = 22050;
    controls["cbStop_Checked"].value = 1;
    RegistrySettingsBackend backend(exeName);
    TFormStorage storage(backend, window, controls.Properties());
    storage.Restore();
    storage.Save();
  }
  testing::StoredControls controls;
  testing::FakeWindowPlacement window;
  RegistrySettingsBackend backend(exeName);
  TFormStorage storage(backend, window, controls.Properties());
  storage.Restore();
  EXPECT_EQ(controls["cOutHz_Value"].value, 22050);
  EXPECT_EQ(controls["cbStop_Checked"].value, 1);
  EXPECT_EQ(backend.Read("NormPos(1920x1080)"), "100,100,385,380");
}

}  // namespace
}  // namespace orvimo::win32
