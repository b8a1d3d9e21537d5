#include "base/file_name_text.h"

#include <gtest/gtest.h>

namespace orvimo {
namespace {

TEST(FileNameText, EveryByteStringComesBackFromItsText) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"take_[i].wav", u"take_[i].wav"},
      {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x8E\xB5", u"\u00E4\u20AC\U0001F3B5"},  // 2, 3 and 4 bytes
      {"a\xFF.wav", u"a\xDCFF.wav"},
      {"\xC3", u"\xDCC3"},                                // a sequence cut short
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // an overlong "/"
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
      {"\xE2\x82x", u"\xDCE2\xDC82x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameToText(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(FileNameFromText(c.text), c.bytes) << c.bytes;
  }
  // A lone surrogate typed or pasted without an escaped byte behind it becomes U+FFFD.
  EXPECT_EQ(FileNameFromText(u"x\xD800y"), "x\xEF\xBF\xBDy");
}

}  // namespace
}  // namespace orvimo
