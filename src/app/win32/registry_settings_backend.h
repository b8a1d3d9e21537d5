#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/settings_backend.h"

namespace orvimo::win32 {

// The per-user store in the registry: HKEY_CURRENT_USER\Software\<exeName>, values of the "TfrmMain"
// subkey, every one a REG_SZ string. Names and values are UTF-8 here and UTF-16 in the registry.
class RegistrySettingsBackend : public SettingsBackend {
 public:
  // exeName: the executable's file name without extension ("Orvimo2" for Orvimo2.exe).
  explicit RegistrySettingsBackend(std::string exeName);
  ~RegistrySettingsBackend() override;
  RegistrySettingsBackend(const RegistrySettingsBackend&) = delete;
  RegistrySettingsBackend& operator=(const RegistrySettingsBackend&) = delete;

  // The running executable's file name without extension.
  static std::string DefaultExeName();
  // "Software\<exeName>", under HKEY_CURRENT_USER.
  std::string ProgramKeyPath() const;

  void OpenProgramKey() override;
  std::optional<std::string> Read(const std::string& name) override;
  void OpenForWrite() override;
  void Write(const std::string& name, const std::string& value) override;
  void Close() override;

 private:
  std::string programKeyPath_;
  HKEY sectionKey_ = nullptr;  // the "TfrmMain" subkey; null while closed or when it does not exist
};

}  // namespace orvimo::win32
