#include "services/free_space.h"

#include <algorithm>

namespace orvimo {

uint8_t DiskDriveOf(const std::string& outputTemplate) {
  if (outputTemplate.size() >= 2 && outputTemplate[1] == ':')
    return static_cast<uint8_t>(static_cast<unsigned char>(outputTemplate[0]) - 64);
  return 0;
}

std::string FreeSpaceQueryPath(const std::string& outputTemplate, uint8_t diskDrive) {
  if (diskDrive != 0) return std::string(1, static_cast<char>(diskDrive + 64)) + ":\\";
  std::string name = outputTemplate;
  name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
#ifdef _WIN32
  const auto slash = name.find_last_of("\\/");
#else
  const auto slash = name.find_last_of('/');
#endif
  if (slash == std::string::npos) return {};
  if (slash == 0) return name.substr(0, 1);  // a file in the root folder
  return name.substr(0, slash);
}

}  // namespace orvimo
