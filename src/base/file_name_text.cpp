#include "base/file_name_text.h"

namespace orvimo {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of bytes and its code point; 0 when it is not one
// (overlong forms, surrogates and values above U+10FFFF included).
size_t DecodeOne(std::string_view bytes, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, lowest = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, lowest = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, lowest = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(bytes[k]);
    if (!IsContinuation(byte)) return 0;
    codePoint = codePoint << 6 | (byte & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  return codePoint < lowest || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | codePoint >> 6);
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | codePoint >> 12);
    out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | codePoint >> 18);
    out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::u16string FileNameToText(std::string_view bytes) {
  std::u16string text;
  while (!bytes.empty()) {
    char32_t codePoint = 0;
    size_t length = DecodeOne(bytes, codePoint);
    if (length == 0) {
      codePoint = kEscapeBase + static_cast<unsigned char>(bytes[0]);
      length = 1;
    }
    if (codePoint >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(codePoint);
    }
    bytes.remove_prefix(length);
  }
  return text;
}

std::string FileNameFromText(std::u16string_view text) {
  std::string bytes;
  for (size_t k = 0; k < text.size(); ++k) {
    const char16_t unit = text[k];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF) {
      AppendUtf8(bytes, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[k + 1] - 0xDC00));
      ++k;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      bytes += static_cast<char>(unit - kEscapeBase);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(bytes, 0xFFFD);  // any other lone surrogate has no bytes of its own
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return bytes;
}

}  // namespace orvimo
