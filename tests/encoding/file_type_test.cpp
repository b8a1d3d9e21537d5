#include "encoding/file_type.h"

#include <gtest/gtest.h>

namespace orvimo {
namespace {

TEST(FileTypeTest, NamesExtensionsAndOptionWordsInListOrder) {
  struct Row {
    FileType type;
    const char *name, *extension, *word;
  };
  const Row rows[] = {
      {FileType::Wav, "WAV", ".wav", "wav"},     {FileType::Raw, "RAW", ".raw", "RAW"},
      {FileType::Flac, "FLAC", ".flac", "Flac"}, {FileType::Opus, "Opus", ".opus", "opus"},
      {FileType::Mp3, "MP3", ".mp3", "mP3"},
  };
  for (size_t index = 0; index < std::size(rows); ++index) {
    const Row& row = rows[index];
    EXPECT_EQ(kFileTypes[index], row.type) << index;  // the stored list index
    EXPECT_EQ(FileTypeName(row.type), row.name);
    EXPECT_EQ(FileTypeExtension(row.type), row.extension);
    EXPECT_EQ(FileTypeOfWord(row.word), row.type) << row.word;
  }
  for (const char* word : {"", "wave", ".wav", "ogg", "mp", " flac"})
    EXPECT_EQ(FileTypeOfWord(word), std::nullopt) << word;
}

TEST(FileTypeTest, TheExtensionOfANameChoosesTheTypeAndIsReplacedByAnother) {
  struct Row {
    const char* name;
    std::optional<FileType> type;
    const char* asMp3;
  };
  const Row rows[] = {
      {"show.opus", FileType::Opus, "show.mp3"},
      {"C:\\rec\\Take [i].WAV", FileType::Wav, "C:\\rec\\Take [i].mp3"},
      {"/tmp/a.b.Flac", FileType::Flac, "/tmp/a.b.mp3"},
      {"x.raw", FileType::Raw, "x.mp3"},
      {"song.MP3", FileType::Mp3, "song.mp3"},
      {".mp3", FileType::Mp3, ".mp3"},
      {"notes.txt", std::nullopt, "notes.txt"},
      {"flac", std::nullopt, "flac"},
      {"take.wav.bak", std::nullopt, "take.wav.bak"},
      {"", std::nullopt, ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileTypeOfName(row.name), row.type) << row.name;
    EXPECT_EQ(WithFileTypeExtension(row.name, FileType::Mp3), row.asMp3) << row.name;
  }
  EXPECT_EQ(WithFileTypeExtension("show.mp3", FileType::Flac), "show.flac");
}

TEST(FileTypeTest, ExpectedBytesPerSecondForTheFreeTimeEstimate) {
  const SampleFormat cd{44100, 2, 16}, mono8{8000, 1, 8};
  struct Row {
    FileType type;
    SampleFormat format;
    uint64_t frames, bytes;
    int64_t expected;
  };
  const Row rows[] = {
      {FileType::Wav, cd, 0, 0, 176400},
      {FileType::Raw, mono8, 0, 0, 8000},
      {FileType::Flac, cd, 0, 0, 105840},  // 60 % of PCM before the first second
      {FileType::Flac, cd, 44099, 10, 105840},
      {FileType::Flac, cd, 88200, 200000, 100000},  // what the recording has written
      {FileType::Flac, cd, 88200, 200001, 100001},  // rounded up
      {FileType::Flac, mono8, 8000, 0, 1},          // never 0: the free time divides by it
      {FileType::Opus, cd, 0, 0, 12000},
      {FileType::Opus, mono8, 0, 0, 8000},
      {FileType::Mp3, cd, 0, 0, 24000},
      {FileType::Mp3, mono8, 0, 0, 16000},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ExpectedBytesPerSecond(row.type, row.format, row.frames, row.bytes), row.expected)
        << FileTypeName(row.type) << " " << row.frames << " " << row.bytes;
  }
}

}  // namespace
}  // namespace orvimo
