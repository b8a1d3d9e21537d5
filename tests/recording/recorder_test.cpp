#include "recording/recorder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/fake_audio_library.h"
#include "support/temp_folder.h"

namespace orvimo {
namespace {

namespace fs = std::filesystem;
using orvimo::testing::PathFromUtf8;
using orvimo::testing::TempFolder;
using orvimo::testing::Utf8Of;

constexpr SampleFormat kStereo16{8000, 2, 16};
constexpr uint32_t kFrame = 4;

struct FixedClock : Clock {
  TDateTime Now() override { return 46000.5; }
};
struct RoomyDisk : FreeSpace {
  int64_t BytesFree(const std::string&) override { return int64_t{1} << 40; }
};
struct Reports : RecorderEvents {
  void Fault(const std::string& message) override { faults.push_back(message); }
  void FileChanged(const std::string& fileName) override { files.push_back(fileName); }
  std::vector<std::string> faults, files;
};

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32At(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// The audio of a WAV file, after checking that its header describes exactly what the file holds.
std::vector<uint8_t> CheckedAudio(const fs::path& path) {
  const std::vector<uint8_t> bytes = ReadAll(path);
  EXPECT_GE(bytes.size(), 44u) << path;
  if (bytes.size() < 44) return {};
  EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8) << path;
  EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44) << path;
  return {bytes.begin() + 44, bytes.end()};
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    audio_.Init(-1, 44100, 0, nullptr, nullptr);
    audio_.RecordInit(-1);
  }

  Recorder& Make(uint64_t ceiling = kWaveDataCeiling) {
    recorder_ = std::make_unique<Recorder>(audio_, clock_, disk_, reports_, ceiling);
    return *recorder_;
  }
  std::string PathOf(const std::string& name) const { return Utf8Of(dir_ / PathFromUtf8(name)); }

  // Buffers of numbered frames, so a lost or doubled one shows in the files.
  std::vector<uint8_t> DeliverFrames(uint32_t frames) {
    std::vector<uint8_t> bytes(frames * kFrame);
    for (uint32_t i = 0; i < frames; ++i, ++frameNumber_) {
      for (uint32_t b = 0; b < kFrame; ++b)
        bytes[i * kFrame + b] = static_cast<uint8_t>(frameNumber_ >> (8 * b));
    }
    EXPECT_TRUE(audio_.Deliver(bytes));
    return bytes;
  }

  // What a reader finds in the file being recorded. Windows lets nobody else open it meanwhile, so
  // there it is read through the recorder's own handle into a copy.
  std::vector<uint8_t> LiveBytes(Recorder& recorder, const std::string& name) {
#ifdef _WIN32
    const OutputFile& file = *recorder.Writer().Current()->file;
    const std::string copyPath = PathOf(name + ".copy");
    fs::remove(PathFromUtf8(copyPath));
    file.CopyTo(*OutputFile::Create(copyPath), 0, file.Size());
    return ReadAll(PathFromUtf8(copyPath));
#else
    (void)recorder;
    return ReadAll(PathOf(name));
#endif
  }

  TempFolder folder_{"orvimo_recorder_"};
  fs::path dir_ = folder_.Path();
  capture::FakeAudioLibrary audio_;
  FixedClock clock_;
  RoomyDisk disk_;
  Reports reports_;
  std::unique_ptr<Recorder> recorder_;
  uint32_t frameNumber_ = 0;
};

// Frames lost or doubled across the splits of a chain: the files' data, concatenated, is the input.
TEST_F(RecorderTest, ChainedFilesHoldEveryFrameOnce) {
  constexpr int kSplits = 100;
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("take_1.wav")));
  std::vector<uint8_t> input;
  for (int split = 2; split <= kSplits + 1; ++split) {
    for (uint32_t frames : {37u, 160u}) {
      const auto bytes = DeliverFrames(frames);
      input.insert(input.end(), bytes.begin(), bytes.end());
    }
    recorder.StartNext(PathOf("take_" + std::to_string(split) + ".wav"));
    EXPECT_EQ(recorder.RecordedBytes(), 0) << "the new recording has nothing before its first buffer";
    const auto bytes = DeliverFrames(11);
    input.insert(input.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
    EXPECT_EQ(recorder.RecordedBytes(), 11 * kFrame);
  }
  recorder.Stop();
  std::vector<uint8_t> output;
  for (int file = 1; file <= kSplits + 1; ++file) {
    const auto audio = CheckedAudio(PathOf("take_" + std::to_string(file) + ".wav"));
    output.insert(output.end(), audio.begin(), audio.end());
  }
  const auto lost = static_cast<int64_t>(input.size()) - static_cast<int64_t>(output.size());
  RecordProperty("FramesLostAcrossSplits", static_cast<int>(lost / kFrame));
  EXPECT_EQ(output, input);
  EXPECT_EQ(audio_.CallsNamed("RecordStart").size(), 1u) << "the capture never stopped";
}

// Past the ceiling the recording goes on in " (2)", " (3)" ...; each part is a complete WAV file, and
// the count covers the whole recording.
TEST_F(RecorderTest, ContinuationPartsSplitAtFramesAndCountAsOne) {
  Recorder& recorder = Make(1002);  // 250 frames and a half: the ceiling is rounded down to 1000 bytes
  recorder.SetContinuationMargin(1 << 20);
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("long.wav")));
  std::vector<uint8_t> input;
  for (int buffer = 0; buffer < 9; ++buffer) {
    recorder.Tick();  // keeps a continuation ready
    const auto bytes = DeliverFrames(130);
    input.insert(input.end(), bytes.begin(), bytes.end());
  }
  recorder.Tick();
  EXPECT_EQ(recorder.RecordedBytes(), static_cast<int64_t>(input.size()));
  EXPECT_EQ(recorder.CurrentFileName(), PathOf("long (5).wav"));
  EXPECT_EQ(reports_.files.back(), PathOf("long (5).wav"));
  recorder.Stop();
  std::vector<uint8_t> output;
  for (const char* name : {"long.wav", "long (2).wav", "long (3).wav", "long (4).wav", "long (5).wav"}) {
    const auto audio = CheckedAudio(PathOf(name));
    EXPECT_LE(audio.size(), 1000u) << name;
    output.insert(output.end(), audio.begin(), audio.end());
  }
  EXPECT_EQ(output, input);
  EXPECT_FALSE(fs::exists(PathOf("long (6).wav"))) << "an unused continuation is removed";
}

TEST_F(RecorderTest, FailedStartLeavesAnExistingFileAsItWas) {
  const std::string path = PathOf("keep.wav");
  std::ofstream(path, std::ios::binary) << std::string(1000, 'k');
  Recorder& recorder = Make();
  audio_.RefuseRecordStart(37);
  EXPECT_FALSE(recorder.Start(kStereo16, path));
  EXPECT_EQ(recorder.LastError(), "Recording device not available for use!");
  EXPECT_EQ(ReadAll(path), std::vector<uint8_t>(1000, 'k'));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "no temporary left";

  audio_.RefuseRecordStart(std::nullopt);
  ASSERT_TRUE(recorder.Start(kStereo16, path));
  Reports otherReports;
  Recorder other(audio_, clock_, disk_, otherReports);
  try {
    other.Start(kStereo16, path);
    ADD_FAILURE() << "a second recorder took the file";
  } catch (const FileCreateError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot create file \"" + path + "\". The file is in use by another recorder.");
  }
  recorder.Stop();
  EXPECT_EQ(ReadAll(path).size(), 44u);
}

// Dropouts are counted per recording, shown as a text and told on stderr at the stop when there are
// any; the next file of a chain counts from zero, and its predecessor is told at the switch.
TEST_F(RecorderTest, DropoutsAreCountedPerRecordingAndToldAtTheStop) {
  struct Case {
    std::vector<uint64_t> lost;  // one dropout each, 0: amount unknown
    std::string text;
  };
  const Case cases[] = {
      {{}, ""},
      {{1764, 3528}, "2 dropouts (about 165 ms lost)"},  // 5292 bytes at 32000 bytes per second
      {{0}, "1 dropout"},
      {{0, 8}, "2 dropouts (about 1 ms lost)"},
  };
  Recorder& recorder = Make();
  for (const Case& c : cases) {
    ASSERT_TRUE(recorder.Start(kStereo16, PathOf("drop.wav")));
    for (uint64_t bytes : c.lost) ASSERT_TRUE(audio_.ReportDropout(recorder.State().CaptureChannel, bytes));
    recorder.Tick();
    EXPECT_EQ(recorder.Dropouts().count, c.lost.size()) << c.text;
    EXPECT_EQ(recorder.DropoutsText(), c.text);
    ::testing::internal::CaptureStderr();
    recorder.Stop();
    const std::string logged = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(recorder.DropoutsText(), c.text) << "kept after the stop";
    if (c.text.empty()) {
      EXPECT_EQ(logged, "");
    } else {
      EXPECT_NE(logged.find("Recording \"" + PathOf("drop.wav") + "\": " + c.text), std::string::npos)
          << logged;
    }
  }

  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("chain_1.wav")));
  audio_.ReportDropout(recorder.State().CaptureChannel, 32);
  ::testing::internal::CaptureStderr();
  recorder.StartNext(PathOf("chain_2.wav"));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("chain_1.wav\": 1 dropout (about 1 ms lost)"),
            std::string::npos);
  recorder.Tick();
  EXPECT_EQ(recorder.Dropouts().count, 0u);
  audio_.ReportDropout(recorder.State().CaptureChannel, 3200);
  recorder.Stop();
  EXPECT_EQ(recorder.DropoutsText(), "1 dropout (about 100 ms lost)");
}

// A write that fails pauses the recording with the reason, and nothing is counted that is not on disk.
TEST_F(RecorderTest, FailedWritePausesAndCountsOnlyWhatReachedTheFile) {
#ifdef _WIN32
  GTEST_SKIP() << "a write refused at a set length needs a per-process file size limit, which Windows "
                  "lacks, or a volume that small, which Wine cannot mount";
#else
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("limited.wav")));
  struct rlimit previous {};
  ::getrlimit(RLIMIT_FSIZE, &previous);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = previous;
  limited.rlim_cur = 44 + 1000 + 2;  // room for 250 frames and half of one more
  ::setrlimit(RLIMIT_FSIZE, &limited);
  DeliverFrames(200);
  DeliverFrames(200);
  DeliverFrames(200);
  const TickOutcome outcome = recorder.Tick();
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(outcome, TickOutcome::Paused);
  EXPECT_TRUE(recorder.State().Paused);
  EXPECT_EQ(recorder.RecordedBytes(), 1000);
  ASSERT_EQ(reports_.faults.size(), 1u);
  EXPECT_EQ(reports_.faults[0], "Cannot write to file \"" + PathOf("limited.wav") + "\": File too large");
  EXPECT_EQ(recorder.Tick(), TickOutcome::Running) << "reported once";
  recorder.Stop();
  EXPECT_EQ(CheckedAudio(PathOf("limited.wav")).size(), 1000u);
#endif
}

TEST_F(RecorderTest, RemovedFolderIsMadeAgainWithEverythingRecorded) {
  const fs::path folder = dir_ / "sub";
  fs::create_directory(folder);
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, (folder / "take.wav").string()));
  std::vector<uint8_t> input = DeliverFrames(300);
#ifdef _WIN32
  // A file open without sharing cannot be deleted: the folder and the recording stay.
  std::error_code refused;
  fs::remove_all(folder, refused);
  EXPECT_TRUE(refused);
  EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
  EXPECT_TRUE(reports_.faults.empty());
  // Renaming the folder away: Windows refuses it while a file in it is open, Wine lets it go.
  if (fs::rename(folder, dir_ / "moved", refused); !refused) {
    EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
    ASSERT_EQ(reports_.faults.size(), 1u);
    EXPECT_NE(reports_.faults[0].find("was removed"), std::string::npos);
  }
#else
  fs::remove_all(folder);
  EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
  ASSERT_EQ(reports_.faults.size(), 1u);
  EXPECT_NE(reports_.faults[0].find("was removed"), std::string::npos);
#endif
  for (int i = 0; i < 3; ++i) {
    const auto bytes = DeliverFrames(100);
    input.insert(input.end(), bytes.begin(), bytes.end());
    recorder.Tick();
  }
  recorder.Stop();
  EXPECT_EQ(CheckedAudio(folder / "take.wav"), input);
  EXPECT_LE(reports_.faults.size(), 1u);
}

// A name beyond any one code page reaches the file system exactly: UTF-8 inside, wide at the system.
TEST_F(RecorderTest, UnicodeNameIsTheFilesName) {
  Recorder& recorder = Make();
  const std::string name = recorder.NextFileName(PathOf("Aufnahme ä€ [i].wav"), FormatSettings{});
  ASSERT_TRUE(recorder.Start(kStereo16, name));
  const std::vector<uint8_t> input = DeliverFrames(100);
  recorder.Stop();
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(Utf8Of(entry.path().filename()));
  EXPECT_EQ(names, std::vector<std::string>{"Aufnahme ä€ 1.wav"});
  EXPECT_EQ(CheckedAudio(PathFromUtf8(name)), input);
}

// The capture thread keeps the sizes current: a process killed now leaves a file readable to within
// half a second.
TEST_F(RecorderTest, HeaderFollowsTheDataWithinHalfASecond) {
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("live.wav")));
  uint64_t delivered = 0;
  for (uint32_t frames : {1000u, 3000u, 160u, 160u, 4000u, 50u}) {
    delivered += DeliverFrames(frames).size();
    const auto bytes = LiveBytes(recorder, "live.wav");
    ASSERT_GE(bytes.size(), 44u);
    const uint32_t covered = U32At(bytes, 40);
    EXPECT_EQ(U32At(bytes, 4), covered + 36);
    EXPECT_LE(covered, delivered);
    EXPECT_LT(delivered - covered, kStereo16.BytesPerSecond() / 2 + 1) << delivered;
  }
  recorder.Stop();
}

}  // namespace
}  // namespace orvimo
