#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/sample_format.h"

namespace orvimo {

// The kinds of file a recording can be written as, in the order of the window's type list: the stored
// index 0 is WAV. RAW is the headerless PCM of the recording's sample format.
enum class FileType { Wav, Raw, Flac, Opus, Mp3 };

inline constexpr std::array<FileType, 5> kFileTypes{FileType::Wav, FileType::Raw, FileType::Flac,
                                                    FileType::Opus, FileType::Mp3};

// FLAC, Opus and MP3: written through an encoder.
inline bool IsCompressed(FileType type) { return type != FileType::Wav && type != FileType::Raw; }

// "WAV", "RAW", "FLAC", "Opus", "MP3": the type list's entries.
std::string_view FileTypeName(FileType type);
// ".wav", ".raw", ".flac", ".opus", ".mp3".
std::string_view FileTypeExtension(FileType type);
// The type whose extension ends the name, in any letter case; none for another or no extension.
std::optional<FileType> FileTypeOfName(std::string_view name);
// The name with its known extension replaced by the type's; a name without one is returned unchanged.
std::string WithFileTypeExtension(std::string_view name, FileType type);
// The value of the command line's type option: "wav", "raw", "flac", "opus", "mp3", in any letter case.
std::optional<FileType> FileTypeOfWord(std::string_view word);

// The fixed bit rates of the lossy types, in bits per second.
int32_t OpusBitRate(const SampleFormat& format);
int32_t Mp3BitRate(const SampleFormat& format);

// The bytes a second of audio adds to the file, for the free-time estimate. PCM types and the fixed
// bit rates are exact; FLAC's rate is what this recording has written so far (framesEncoded audio
// frames made bytesWritten bytes), or 60 % of PCM before its first second.
int64_t ExpectedBytesPerSecond(FileType type, const SampleFormat& format, uint64_t framesEncoded,
                               uint64_t bytesWritten);

}  // namespace orvimo
