#pragma once

#include <filesystem>
#include <string>

namespace orvimo::testing {

// A new empty folder under the system's temporary folder, named after prefix; removed with everything
// in it at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Between paths and names as the program keeps them: UTF-8 on every platform (a narrow path on
// Windows would be in the ANSI code page).
std::string Utf8Of(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& name);

}  // namespace orvimo::testing
