#pragma once

#include <optional>
#include <string>

namespace orvimo {

// One per-user store of the main window's settings, addressed like the registry: the program's key
// (per user and executable name) and the value names of the "TfrmMain" section. Every value is text.
class SettingsBackend {
 public:
  virtual ~SettingsBackend() = default;
  // Opens the program's key for reading, creating it empty when it does not exist.
  virtual void OpenProgramKey() = 0;
  // Reads a value of the "TfrmMain" section; nullopt when missing. Throws std::runtime_error
  // "Invalid data type for '<name>'" when the stored value is not a string.
  virtual std::optional<std::string> Read(const std::string& name) = 0;
  // Opens for writing, creating if need be; throws "Failed to create key <path>".
  virtual void OpenForWrite() = 0;
  // Throws "Failed to set data for '<name>'".
  virtual void Write(const std::string& name, const std::string& value) = 0;
  // Flushes what was written; a store that writes lazily reports a failed write here, with the same
  // "Failed to set data for '<name>'" message.
  virtual void Close() = 0;
};

}  // namespace orvimo
