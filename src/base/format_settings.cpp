#include "base/date_time.h"

namespace orvimo {

FormatSettings FormatSettings::FromSystem() { return FormatSettings{}; }

}  // namespace orvimo
