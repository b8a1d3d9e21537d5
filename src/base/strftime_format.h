#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvimo {

// A locale's strftime-style format (as nl_langinfo gives it), split into conversions and literal text
// and translated into the date/time formatting language.
class StrftimeFormat {
 public:
  // The locale's own formats, which %x, %X, %c and %r stand for.
  struct LocaleFormats {
    std::string date = "%m/%d/%y";
    std::string time = "%H:%M:%S";
    std::string dateTime = "%a %b %e %H:%M:%S %Y";
    std::string time12 = "%I:%M:%S %p";
  };

  StrftimeFormat(std::string_view format, const LocaleFormats& locale);

  // The format in the formatting language. A literal "/" or ":" stays a separator letter only when it
  // is the separator given, otherwise it is quoted; literal letters are always quoted.
  std::string ToDateTimeFormat(char dateSeparator, char timeSeparator) const;
  // The first ASCII punctuation character in the literal text between two conversions, or fallback.
  char FirstSeparator(char fallback) const;
  // The format with only its date conversions (the long date is taken from the locale's date-and-time
  // format this way), or without its seconds (the short time from the long one).
  StrftimeFormat DateFieldsOnly() const;
  StrftimeFormat WithoutSeconds() const;
  bool HasDateFields() const;

 private:
  struct Token {
    char conversion = 0;  // 0 for literal text
    bool unpadded = false;
    std::string literal;
  };

  StrftimeFormat() = default;
  void Parse(std::string_view format, const LocaleFormats& locale, int depth);
  bool ExpandComposite(char conversion, const LocaleFormats& locale, int depth);
  void AddLiteral(char c);
  StrftimeFormat Keeping(const std::function<bool(char)>& keepConversion) const;
  static bool IsDateConversion(char conversion);
  static std::string MappedConversion(const Token& token);
  static std::string QuotedLiteral(const std::string& text, char dateSeparator, char timeSeparator);

  std::vector<Token> tokens_;
};

}  // namespace orvimo
