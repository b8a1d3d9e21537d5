#include "app/when_finished.h"

namespace orvimo {

std::string WithCounterBeforeExtension(const std::string& outputTemplate) {
  const auto lastSeparator = outputTemplate.find_last_of("\\/:");
  const auto nameStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
  auto dot = outputTemplate.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = outputTemplate.size();

  const std::string rest = outputTemplate.substr(0, dot);
  if (rest.find("[i]") != std::string::npos) return outputTemplate;
  return rest + "([i])" + outputTemplate.substr(dot);
}

}  // namespace orvimo
