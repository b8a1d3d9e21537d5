#include "app/when_finished.h"

#include "recording/file_name_template.h"

namespace orvimo {

std::string WithCounterBeforeExtension(const std::string& outputTemplate) {
  // "[i]" anywhere before the extension, folder included, already numbers the files.
  if (outputTemplate.substr(0, ExtensionStart(outputTemplate)).find("[i]") != std::string::npos) {
    return outputTemplate;
  }
  return InsertBeforeExtension(outputTemplate, "([i])");
}

}  // namespace orvimo
