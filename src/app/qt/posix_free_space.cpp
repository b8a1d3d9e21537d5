#include "app/qt/posix_free_space.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/statvfs.h>
#endif

namespace orvimo {

namespace {

std::filesystem::path NearestExistingFolder(const std::string& path) {
  std::filesystem::path folder = path.empty() ? std::filesystem::path(".") : std::filesystem::path(path);
  std::error_code error;
  while (!folder.empty() && !std::filesystem::is_directory(folder, error)) folder = folder.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

int64_t PosixFreeSpace::BytesFree(const std::string& path) {
#ifdef _WIN32
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(path.empty() ? nullptr : path.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(available.QuadPart);
#else
  struct statvfs info;
  if (statvfs(NearestExistingFolder(path).c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
#endif
}

}  // namespace orvimo
