#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/settings_backend.h"

class QSettings;

namespace orvimo {

// The per-user store as an INI file: ${XDG_CONFIG_HOME:-~/.config}/<exeName>/<exeName>.ini, section
// [TfrmMain]. Every value is kept as a plain string, so the file reads like the registry's values.
class IniSettingsBackend : public SettingsBackend {
 public:
  // exeName: the executable's file name without extension.
  explicit IniSettingsBackend(const std::string& exeName);
  ~IniSettingsBackend() override;

  // The running executable's file name without extension.
  static std::string DefaultExeName();
  std::string FilePath() const;

  void OpenProgramKey() override;
  std::optional<std::string> Read(const std::string& name) override;
  void OpenForWrite() override;
  void Write(const std::string& name, const std::string& value) override;
  void Close() override;

 private:
  QSettings& Settings();
  void DropForeignEntries();
  std::string directory_;
  std::string filePath_;
  std::unique_ptr<QSettings> settings_;
  std::optional<std::string> firstUnflushedName_;
};

}  // namespace orvimo
