#include "recording/output_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "base/win32/wide_text.h"
#else
#include <unistd.h>
#endif

namespace orvimo {
namespace {

namespace fs = std::filesystem;
using orvimo::testing::PathFromUtf8;
using orvimo::testing::TempFolder;
using orvimo::testing::Utf8Of;

// The system's reason for a folder that does not exist.
std::string MissingFolderReason() {
#ifdef _WIN32
  wchar_t text[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_PATH_NOT_FOUND, 0,
                 text, 256, nullptr);
  std::string reason = win32::Utf8FromWide(text);
  return reason.substr(0, reason.find_last_not_of(" \r\n") + 1);
#else
  return std::strerror(ENOENT);
#endif
}

class OutputFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return Utf8Of(dir_ / PathFromUtf8(name)); }

  static std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static uint32_t ReadField(const std::string& path, std::size_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    uint8_t bytes[4] = {};
    in.read(reinterpret_cast<char*>(bytes), 4);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }

  static std::string CreateErrorText(const std::string& path) {
    try {
      OutputFile::Create(path);
    } catch (const FileCreateError& error) {
      return error.what();
    }
    return "no error";
  }

  TempFolder folder_{"orvimo_output_"};
  fs::path dir_ = folder_.Path();
};

TEST_F(OutputFileTest, AnExistingFileIsReplacedOnlyAtCommit) {
  const std::string path = PathOf("take.wav");
  std::ofstream(path) << std::string(500, 'x');
  for (const bool commit : {false, true}) {
    auto file = OutputFile::Create(path);
    file->WriteHeader(MakeWaveHeader(2, 44100, 16));
    int error = 0;
    EXPECT_EQ(file->WriteAt("abcd", 4, 44, error), 4u);
    EXPECT_EQ(fs::file_size(path), 500u) << "the old file stays until the capture has started";
    if (commit) {
      file->Commit();
    } else {
      file->Discard();
    }
  }
  const std::vector<uint8_t> bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), 48u);
  const auto header = MakeWaveHeader(2, 44100, 16).ToBytes();
  EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
  EXPECT_EQ(std::string(bytes.begin() + 44, bytes.end()), "abcd");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "no temporary left";
}

TEST_F(OutputFileTest, FullPathIsAbsoluteAgainstTheCurrentDirectory) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  std::string fullPath;
  std::string missingFolderError;
  try {
    fullPath = OutputFile::Create("relative.wav")->FullPath();
    missingFolderError = CreateErrorText("missing/take.wav");
  } catch (...) {
  }
  fs::current_path(previous);
  EXPECT_EQ(fullPath, PathOf("relative.wav"));
  EXPECT_EQ(missingFolderError,
            "Cannot create file \"" + Utf8Of(dir_ / "missing" / "take.wav") + "\". " + MissingFolderReason());
}

TEST_F(OutputFileTest, SecondRecorderCannotTakeAnOpenFileNorCutItShort) {
  const std::string path = PathOf("busy.wav");
  auto first = OutputFile::Create(path);
  first->WriteHeader(MakeWaveHeader(1, 8000, 8));
  EXPECT_EQ(CreateErrorText(path),
            "Cannot create file \"" + path + "\". The file is in use by another recorder.");
  EXPECT_EQ(fs::file_size(path), 44u);
  first.reset();
  EXPECT_NO_THROW(OutputFile::Create(path));
}

TEST_F(OutputFileTest, UnwritableFolderGivesTheSystemsReason) {
#ifdef _WIN32
  // A name Windows refuses stands in: everyone may create files in a temporary folder.
  const std::string path = PathOf("take?.wav");
#else
  // Root ignores mode bits, so as root a folder nobody may create files in stands in.
  std::string path = "/proc/orvimo_output_test.wav";
  if (::geteuid() != 0) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    path = PathOf("take.wav");
  }
#endif
  const std::string text = CreateErrorText(path);
  EXPECT_EQ(text.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << text;
  EXPECT_GT(text.size(), path.size() + 23) << "the system's reason is missing";
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(OutputFileTest, PatchSizesWritesTheLengthsOfTheFile) {
  struct Case {
    std::size_t audioBytes;
    uint32_t riffSize, dataSize;
  };
  for (const Case& c : {Case{0, 36, 0}, Case{1, 37, 1}, Case{1000, 1036, 1000}}) {
    const std::string path = PathOf("patch.wav");
    auto file = OutputFile::Create(path);
    file->Commit();
    file->WriteHeader(MakeWaveHeader(2, 44100, 16));
    const std::vector<uint8_t> audio(c.audioBytes, 0x80);
    int error = 0;
    file->WriteAt(audio.data(), audio.size(), 44, error);
    file->PatchSizes();
    file.reset();
    EXPECT_EQ(ReadField(path, 4), c.riffSize) << c.audioBytes;
    EXPECT_EQ(ReadField(path, 40), c.dataSize) << c.audioBytes;
    EXPECT_EQ(fs::file_size(path), 44 + c.audioBytes);
  }
}

TEST_F(OutputFileTest, PatchSizesClampsBeyondFourGibibytesAndBelowTheHeader) {
  struct Case {
    uint64_t length;
    uint32_t riffSize, dataSize;
  };
  const Case cases[] = {
      {0x100000007ull, 0xFFFFFFFF, 0xFFFFFFDB},  // RIFF size just fits
      {0x100000008ull, 0xFFFFFFFF, 0xFFFFFFDC},  // RIFF size would wrap to 0
      {0x12C000000ull, 0xFFFFFFFF, 0xFFFFFFFF},  // 4.7 GB: both would wrap
      {10, 2, 0},                                // shorter than a header
  };
  for (const Case& c : cases) {
    const std::string path = PathOf("big.wav");
    auto file = OutputFile::Create(path);
    file->Commit();
    int error = 0;  // one byte at the end: sparse, no real data
    ASSERT_EQ(file->WriteAt("x", 1, c.length - 1, error), 1u) << error;
    file->PatchSizes();
    file.reset();
    EXPECT_EQ(ReadField(path, 4), c.riffSize) << c.length;
    EXPECT_EQ(ReadField(path, 40), c.dataSize) << c.length;
  }
}

TEST_F(OutputFileTest, FinishAtCutsAPartialFrameAndDiscardFreesTheName) {
  const std::string path = PathOf("cut.wav");
  auto file = OutputFile::Create(path);
  file->WriteHeader(MakeWaveHeader(2, 44100, 16));
  const std::vector<uint8_t> audio(1003, 1);
  int error = 0;
  file->WriteAt(audio.data(), audio.size(), 44, error);
  file->FinishAt(44 + 1000);
  file.reset();  // Windows lets nobody else read the file while it is open
  EXPECT_EQ(fs::file_size(path), 1044u);
  EXPECT_EQ(ReadField(path, 40), 1000u);

  const std::string discarded = PathOf("discarded.wav");
  OutputFile::Create(discarded)->Discard();
  EXPECT_FALSE(fs::exists(discarded));
  EXPECT_NO_THROW(OutputFile::Create(discarded));
}

}  // namespace
}  // namespace orvimo
