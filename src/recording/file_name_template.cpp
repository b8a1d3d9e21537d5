#include "recording/file_name_template.h"

#include <algorithm>

#include "base/int_conversion.h"

namespace orvimo {

namespace {

// A width in the millions would ask for a name of that many characters.
constexpr int32_t kMaxPadWidth = 4096;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string ReplaceCounter(const std::string& templ, uint16_t fileCounter) {
  static const std::string kCounter = "[i]";
  const std::string number = std::to_string(fileCounter);
  std::string text;
  text.reserve(templ.size());
  std::size_t from = 0;
  for (std::size_t at = templ.find(kCounter); at != std::string::npos; at = templ.find(kCounter, from)) {
    text.append(templ, from, at - from);
    text += number;
    from = at + kCounter.size();
  }
  text.append(templ, from);
  return text;
}

// One group body: leading digits pad on the left, or else trailing digits pad on the right; the rest
// is a date/time format, "c" when nothing is left of it.
std::string ExpandGroup(const std::string& body, const std::function<TDateTime()>& now,
                        const FormatSettings& settings) {
  if (body.empty()) return {};
  std::size_t leading = 0;
  while (leading < body.size() && IsDigit(body[leading])) ++leading;
  std::size_t trailing = 0;
  if (leading == 0) {
    while (trailing < body.size() && IsDigit(body[body.size() - 1 - trailing])) ++trailing;
  }
  int32_t width = 0;
  std::string format = body;
  if (leading > 0) {
    width = StrToInt(body.substr(0, leading));
    format.erase(0, leading);
  } else if (trailing > 0) {
    width = StrToInt(body.substr(body.size() - trailing));
    format.resize(body.size() - trailing);
  }
  width = std::min(width, kMaxPadWidth);
  if (format.empty()) format = "c";

  std::string result = FormatDateTime(format, now(), settings);
  if (width > static_cast<int32_t>(result.size())) {
    const std::string zeros(static_cast<std::size_t>(width) - result.size(), '0');
    result = leading > 0 ? zeros + result : result + zeros;
  }
  return result;
}

// Replaces the first group, `passes` times. Text in front of the first "[" is final, so it moves to the
// output once instead of being copied again by every later pass; only a result that itself holds a "["
// has to be scanned again.
std::string ExpandGroups(std::string text, std::size_t passes, const std::function<TDateTime()>& now,
                         const FormatSettings& settings) {
  std::string done;
  done.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t pass = 0; pass < passes; ++pass) {
    const std::size_t open = text.find('[', pos);
    if (open == std::string::npos) break;
    const std::size_t close = text.find(']', open + 1);
    if (close == std::string::npos) break;  // an unclosed "[" and what follows it stay as they are
    done.append(text, pos, open - pos);
    std::string result = ExpandGroup(text.substr(open + 1, close - open - 1), now, settings);
    if (result.find('[') == std::string::npos) {
      done += result;
      pos = close + 1;
    } else {
      text = result + text.substr(close + 1);
      pos = 0;
    }
  }
  done.append(text, pos);
  return done;
}

}  // namespace

std::string ParseFileNameTemplate(const std::string& templ, uint16_t fileCounter,
                                  const std::function<TDateTime()>& now, const FormatSettings& settings) {
  std::string text = ReplaceCounter(templ, fileCounter);
  // The number of passes is fixed by the brackets present now, before any group is expanded.
  const auto passes = static_cast<std::size_t>(std::count(text.begin(), text.end(), '['));
  return ExpandGroups(std::move(text), passes, now, settings);
}

}  // namespace orvimo

namespace orvimo {

std::size_t ExtensionStart(const std::string& name) {
  const auto lastSeparator = name.find_last_of("\\/:");
  const auto nameStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
  const auto dot = name.rfind('.');
  return dot == std::string::npos || dot < nameStart ? name.size() : dot;
}

std::string InsertBeforeExtension(const std::string& name, const std::string& text) {
  const std::size_t dot = ExtensionStart(name);
  return name.substr(0, dot) + text + name.substr(dot);
}

}  // namespace orvimo
