#include "encoding/file_type.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace orvimo {
namespace {

struct TypeTexts {
  std::string_view name, extension;
};

constexpr TypeTexts kTexts[] = {
    {"WAV", ".wav"}, {"RAW", ".raw"}, {"FLAC", ".flac"}, {"Opus", ".opus"}, {"MP3", ".mp3"},
};

const TypeTexts& TextsOf(FileType type) { return kTexts[static_cast<size_t>(type)]; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::string_view FileTypeName(FileType type) { return TextsOf(type).name; }

std::string_view FileTypeExtension(FileType type) { return TextsOf(type).extension; }

std::optional<FileType> FileTypeOfName(std::string_view name) {
  for (FileType type : kFileTypes) {
    if (EndsWithIgnoringCase(name, FileTypeExtension(type))) return type;
  }
  return std::nullopt;
}

std::string WithFileTypeExtension(std::string_view name, FileType type) {
  const std::optional<FileType> current = FileTypeOfName(name);
  if (!current) return std::string(name);
  std::string result(name.substr(0, name.size() - FileTypeExtension(*current).size()));
  result += FileTypeExtension(type);
  return result;
}

std::optional<FileType> FileTypeOfWord(std::string_view word) {
  for (FileType type : kFileTypes) {
    if (EqualsIgnoringCase(word, FileTypeExtension(type).substr(1))) return type;
  }
  return std::nullopt;
}

int32_t OpusBitRate(const SampleFormat& format) { return format.channels == 1 ? 64000 : 96000; }

int32_t Mp3BitRate(const SampleFormat& format) { return format.channels == 1 ? 128000 : 192000; }

int64_t ExpectedBytesPerSecond(FileType type, const SampleFormat& format, uint64_t framesEncoded,
                               uint64_t bytesWritten) {
  switch (type) {
    case FileType::Wav:
    case FileType::Raw:
      break;
    case FileType::Flac:
      if (format.rate == 0 || framesEncoded < format.rate) return format.BytesPerSecond() * 6 / 10;
      // Rounded up: the estimate of the time left must not promise more than the disk holds.
      return std::max<int64_t>(
          1, static_cast<int64_t>(std::ceil(static_cast<double>(bytesWritten) * format.rate /
                                            static_cast<double>(framesEncoded))));
    case FileType::Opus:
      return OpusBitRate(format) / 8;
    case FileType::Mp3:
      return Mp3BitRate(format) / 8;
  }
  return format.BytesPerSecond();
}

}  // namespace orvimo
