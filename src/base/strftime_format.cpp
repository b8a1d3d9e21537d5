#include "base/strftime_format.h"

namespace orvimo {
namespace {

// Composite conversions nest (%c holds %x, a locale's %x could hold %c); this bounds the nesting.
constexpr int kMaxExpansionDepth = 3;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiPunctuation(char c) { return c > ' ' && c < 127 && !IsAsciiLetter(c) && !(c >= '0' && c <= '9'); }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

StrftimeFormat::StrftimeFormat(std::string_view format, const LocaleFormats& locale) {
  Parse(format, locale, 0);
}

void StrftimeFormat::Parse(std::string_view format, const LocaleFormats& locale, int depth) {
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (format[pos] != '%' || pos + 1 >= format.size()) {
      AddLiteral(format[pos++]);
      continue;
    }
    ++pos;
    // glibc flags and width ("%-d", "%_H", "%4Y"), then the E and O modifiers.
    bool unpadded = false;
    while (pos < format.size() && std::string_view("-_0^#+").find(format[pos]) != std::string_view::npos) {
      unpadded = unpadded || format[pos] == '-' || format[pos] == '_';
      ++pos;
    }
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') ++pos;
    while (pos < format.size() && (format[pos] == 'E' || format[pos] == 'O')) ++pos;
    if (pos >= format.size()) break;
    const char conversion = format[pos++];
    if (conversion == '\0') continue;  // 0 marks literal tokens
    if (ExpandComposite(conversion, locale, depth)) continue;
    if (conversion == '%') {
      AddLiteral('%');
    } else if (conversion == 'n' || conversion == 't') {
      AddLiteral(' ');
    } else {
      tokens_.push_back(Token{conversion == 'h' ? 'b' : conversion, unpadded, {}});
    }
  }
}

bool StrftimeFormat::ExpandComposite(char conversion, const LocaleFormats& locale, int depth) {
  const char* fixed = conversion == 'D'   ? "%m/%d/%y"
                      : conversion == 'F' ? "%Y-%m-%d"
                      : conversion == 'T' ? "%H:%M:%S"
                      : conversion == 'R' ? "%H:%M"
                                          : nullptr;
  const std::string* fromLocale = conversion == 'x'   ? &locale.date
                                  : conversion == 'X' ? &locale.time
                                  : conversion == 'c' ? &locale.dateTime
                                  : conversion == 'r' ? &locale.time12
                                                      : nullptr;
  if (fixed == nullptr && fromLocale == nullptr) return false;
  if (depth < kMaxExpansionDepth) Parse(fixed != nullptr ? fixed : *fromLocale, locale, depth + 1);
  return true;
}

void StrftimeFormat::AddLiteral(char c) {
  if (tokens_.empty() || tokens_.back().conversion != 0) tokens_.push_back(Token{});
  tokens_.back().literal += c;
}

bool StrftimeFormat::IsDateConversion(char conversion) {
  return conversion != 0 && std::string_view("aAbBdemyYCgGjuUVwW").find(conversion) != std::string_view::npos;
}

bool StrftimeFormat::HasDateFields() const {
  for (const Token& token : tokens_) {
    if (token.conversion != 0 && IsDateConversion(token.conversion)) return true;
  }
  return false;
}

// Keeps the chosen conversions. Where conversions were dropped between two kept ones, only the literal
// text just before the right-hand one stays ("%e %H:%M:%S %Y" keeps "%e %Y"); literal text at either
// end stays only if nothing was dropped beyond it.
StrftimeFormat StrftimeFormat::Keeping(const std::function<bool(char)>& keepConversion) const {
  StrftimeFormat result;
  std::vector<const Token*> literalsSinceKept;
  bool droppedSinceKept = false, keptAny = false;
  for (const Token& token : tokens_) {
    if (token.conversion == 0) {
      literalsSinceKept.push_back(&token);
    } else if (!keepConversion(token.conversion)) {
      droppedSinceKept = true;
    } else {
      if (!droppedSinceKept) {
        for (const Token* literal : literalsSinceKept) result.tokens_.push_back(*literal);
      } else if (keptAny && !literalsSinceKept.empty()) {
        result.tokens_.push_back(*literalsSinceKept.back());
      }
      result.tokens_.push_back(token);
      literalsSinceKept.clear();
      droppedSinceKept = false;
      keptAny = true;
    }
  }
  if (!droppedSinceKept) {
    for (const Token* literal : literalsSinceKept) result.tokens_.push_back(*literal);
  }
  return result;
}

StrftimeFormat StrftimeFormat::DateFieldsOnly() const { return Keeping(IsDateConversion); }

StrftimeFormat StrftimeFormat::WithoutSeconds() const {
  return Keeping([](char conversion) { return conversion != 'S'; });
}

char StrftimeFormat::FirstSeparator(char fallback) const {
  for (std::size_t i = 1; i + 1 < tokens_.size(); ++i) {
    for (char c : tokens_[i].literal) {
      if (IsAsciiPunctuation(c)) return c;
    }
  }
  return fallback;
}

std::string StrftimeFormat::MappedConversion(const Token& token) {
  const bool pad = !token.unpadded;
  switch (token.conversion) {
    case 'a':
      return "ddd";
    case 'A':
      return "dddd";
    case 'b':
      return "mmm";
    case 'B':
      return "mmmm";
    case 'd':
      return pad ? "dd" : "d";
    case 'e':
      return "d";
    case 'm':
      return pad ? "mm" : "m";
    case 'y':
      return "yy";
    case 'Y':
      return "yyyy";
    case 'H':
    case 'I':
      return pad ? "hh" : "h";
    case 'k':
    case 'l':
      return "h";
    case 'M':
      return pad ? "nn" : "n";
    case 'S':
      return pad ? "ss" : "s";
    case 'p':
    case 'P':
      return "AMPM";
    default:
      return "";  // no counterpart (time zone, week and day-of-year numbers)
  }
}

std::string StrftimeFormat::QuotedLiteral(const std::string& text, char dateSeparator, char timeSeparator) {
  std::string result;
  bool inQuotes = false;
  for (char c : text) {
    const bool needsQuotes = IsAsciiLetter(c) || c == '\'' || (c == '/' && dateSeparator != '/') ||
                             (c == ':' && timeSeparator != ':');
    if (c == '"') {
      if (inQuotes) result += '"';
      inQuotes = false;
      result += "'\"'";
      continue;
    }
    if (needsQuotes != inQuotes) result += '"';
    inQuotes = needsQuotes;
    result += c;
  }
  if (inQuotes) result += '"';
  return result;
}

std::string StrftimeFormat::ToDateTimeFormat(char dateSeparator, char timeSeparator) const {
  std::string result;
  bool twelveHour = false, hasMarker = false;
  for (const Token& token : tokens_) {
    if (token.conversion == 0) {
      result += QuotedLiteral(token.literal, dateSeparator, timeSeparator);
      continue;
    }
    twelveHour = twelveHour || token.conversion == 'I' || token.conversion == 'l';
    hasMarker = hasMarker || token.conversion == 'p' || token.conversion == 'P';
    const std::string mapped = MappedConversion(token);
    // Two fields in a row must not merge into one run ("%d%d" is not "dddd").
    if (!mapped.empty() && !result.empty() && AsciiUpper(result.back()) == AsciiUpper(mapped.front())) {
      result += "''";
    }
    result += mapped;
  }
  if (twelveHour && !hasMarker) result += " AMPM";
  return result;
}

}  // namespace orvimo
