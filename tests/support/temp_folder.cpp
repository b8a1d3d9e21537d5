#include "support/temp_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace orvimo::testing {

TempFolder::TempFolder(const std::string& prefix) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no free temporary folder name for " + prefix);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::u8string(name.begin(), name.end());
}

}  // namespace orvimo::testing
