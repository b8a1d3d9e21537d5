#include "app/win32/registry_settings_backend.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "base/win32/wide_text.h"

namespace orvimo::win32 {

namespace {

const std::string kSection = "TfrmMain";

HKEY CreateKey(const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  const LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, WideFromUtf8(path).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  return result == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

RegistrySettingsBackend::RegistrySettingsBackend(std::string exeName)
    : programKeyPath_("Software\\" + std::move(exeName)) {}

RegistrySettingsBackend::~RegistrySettingsBackend() { Close(); }

std::string RegistrySettingsBackend::DefaultExeName() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  std::wstring name(path, length);
  name = name.substr(name.find_last_of(L"\\/") + 1);  // npos + 1 is 0: no folder
  const auto dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name.empty() ? "Orvimo2" : Utf8FromWide(name);
}

std::string RegistrySettingsBackend::ProgramKeyPath() const { return programKeyPath_; }

void RegistrySettingsBackend::OpenProgramKey() {
  Close();
  // The program's key is created, empty, on the first run; the section is only read. A key that cannot
  // be had only means nothing is stored: every value reads as missing.
  if (HKEY programKey = CreateKey(programKeyPath_, KEY_READ)) {
    if (RegOpenKeyExW(programKey, WideFromUtf8(kSection).c_str(), 0, KEY_READ, &sectionKey_) != ERROR_SUCCESS)
      sectionKey_ = nullptr;
    RegCloseKey(programKey);
  }
}

std::optional<std::string> RegistrySettingsBackend::Read(const std::string& name) {
  if (sectionKey_ == nullptr) return std::nullopt;
  const std::wstring wideName = WideFromUtf8(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(sectionKey_, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw std::runtime_error("Invalid data type for '" + name + "'");
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD bufferSize = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(sectionKey_, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &bufferSize) != ERROR_SUCCESS)
    return std::nullopt;
  // A stored string need not end in a null, and may carry more than one: it ends at the first.
  text.resize(std::min<std::size_t>(bufferSize / sizeof(wchar_t), text.find(L'\0')));
  return Utf8FromWide(text);
}

void RegistrySettingsBackend::OpenForWrite() {
  Close();
  const std::string path = programKeyPath_ + "\\" + kSection;
  sectionKey_ = CreateKey(path, KEY_READ | KEY_WRITE);
  if (sectionKey_ == nullptr) throw std::runtime_error("Failed to create key " + path);
}

void RegistrySettingsBackend::Write(const std::string& name, const std::string& value) {
  const std::wstring text = WideFromUtf8(value);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with its null
  if (sectionKey_ == nullptr ||
      RegSetValueExW(sectionKey_, WideFromUtf8(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()), bytes) != ERROR_SUCCESS)
    throw std::runtime_error("Failed to set data for '" + name + "'");
}

void RegistrySettingsBackend::Close() {
  // The registry writes through; closing the key is all that is left.
  if (sectionKey_ != nullptr) RegCloseKey(std::exchange(sectionKey_, nullptr));
}

}  // namespace orvimo::win32
