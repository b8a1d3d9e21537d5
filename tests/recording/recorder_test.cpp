#include "recording/recorder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "decoders.h"
#include "support/fake_audio_library.h"
#include "support/temp_folder.h"
#include "test_signal.h"

namespace orvimo {
namespace {

namespace fs = std::filesystem;
using orvimo::testing::PathFromUtf8;
using orvimo::testing::TempFolder;
using orvimo::testing::Utf8Of;

constexpr SampleFormat kStereo16{8000, 2, 16};
constexpr uint32_t kFrame = 4;
constexpr SampleFormat kMono16{8000, 1, 16};

struct FixedClock : Clock {
  TDateTime Now() override { return 46000.5; }
};
struct RoomyDisk : FreeSpace {
  int64_t BytesFree(const std::string&) override { return int64_t{1} << 40; }
};
struct Reports : RecorderEvents {
  void Fault(const std::string& message) override { faults.push_back(message); }
  void FileChanged(const std::string& fileName) override { files.push_back(fileName); }
  void WriteFailed(const std::string& message) override { writeFailures.push_back(message); }
  std::vector<std::string> faults, files, writeFailures;
};

// The disk as the writer thread sees it, made to misbehave: a clock the test moves (when asked for),
// syncs counted at that clock's time, writes and syncs held at a gate, and writes refused with an
// errno once a file would grow past a size.
class TestDisk : public WriterDisk {
 public:
  Clock::time_point Now() override {
    return fakeClock ? Clock::time_point(Clock::duration(fakeNow.load())) : WriterDisk::Now();
  }
  void Advance(Clock::duration by) { fakeNow += by.count(); }

  std::size_t Write(OutputFile& file, const uint8_t* data, std::size_t length, uint64_t offset,
                    int& error) override {
    WaitWhile(writesHeld_);
    const uint64_t limit = refuseAbove.load();
    if (limit == 0 || offset + length <= limit) return file.WriteAt(data, length, offset, error);
    const std::size_t room = offset < limit ? static_cast<std::size_t>(limit - offset) : 0;
    const std::size_t written = file.WriteAt(data, room, offset, error);
    error = refusal.load();
    return written;
  }
  void Sync(OutputFile& file) override {
    {
      std::lock_guard lock(mutex_);
      syncTimes.push_back(Now());
    }
    syncing = true;
    WaitWhile(syncsHeld_);
    file.Sync();
    syncing = false;
  }

  void HoldWrites(bool held) { Set(writesHeld_, held); }
  void HoldSyncs(bool held) { Set(syncsHeld_, held); }
  std::vector<Clock::time_point> SyncTimes() {
    std::lock_guard lock(mutex_);
    return syncTimes;
  }

  std::atomic<bool> fakeClock{false};
  std::atomic<Clock::rep> fakeNow{0};
  std::atomic<uint64_t> refuseAbove{0};  // file size at which writes are refused; 0: never
  std::atomic<int> refusal{EFBIG};
  std::atomic<bool> syncing{false};

 private:
  void WaitWhile(const bool& held) {
    std::unique_lock lock(mutex_);
    gate_.wait(lock, [&] { return !held; });
  }
  void Set(bool& flag, bool value) {
    std::lock_guard lock(mutex_);
    flag = value;
    gate_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable gate_;
  bool writesHeld_ = false, syncsHeld_ = false;
  std::vector<Clock::time_point> syncTimes;
};

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The samples of 16-bit PCM, as the decoders give them.
std::vector<int32_t> SamplesOf(const std::vector<uint8_t>& pcm) {
  std::vector<int32_t> samples(pcm.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
  return samples;
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

  // A test that failed while the disk was held must not leave the writer waiting at the stop.
  void TearDown() override {
    disk_.HoldWrites(false);
    disk_.HoldSyncs(false);
  }

  Recorder& Make(uint64_t ceiling = kWaveDataCeiling) {
    recorder_ = std::make_unique<Recorder>(audio_, clock_, freeSpace_, reports_, ceiling, &disk_);
    return *recorder_;
  }
  // Until the writer thread has written what it can of everything delivered.
  void Settle() { ASSERT_TRUE(recorder_->Writer().WaitUntilIdle()); }
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
  // That many such buffers, kept in the order delivered.
  void DeliverInto(std::vector<uint8_t>& delivered, int buffers, uint32_t frames) {
    for (int buffer = 0; buffer < buffers; ++buffer) {
      const auto bytes = DeliverFrames(frames);
      delivered.insert(delivered.end(), bytes.begin(), bytes.end());
    }
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
  RoomyDisk freeSpace_;
  TestDisk disk_;
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
    Settle();  // the writer has taken the file before: one next file waits at a time
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

// Past the ceiling, or where the system refuses a bigger file (EFBIG: a quota, a file size limit), the
// recording goes on in " (2)", " (3)" ... with nothing lost; each part is a complete WAV file, and the
// count covers the whole recording.
TEST_F(RecorderTest, PartsFollowWithoutAGapAtTheCeilingAndAtARefusedSize) {
  struct Case {
    const char* name;
    uint64_t ceiling;
    uint64_t refuseAbove;  // file size
  };
  // Either way 1000 bytes of audio per part: 250 frames and a half fit, the half is not written.
  for (const Case& c : {Case{"ceiling", 1002, 0}, Case{"refused", kWaveDataCeiling, 44 + 1002}}) {
    SCOPED_TRACE(c.name);
    const std::string base = std::string("long_") + c.name;
    disk_.refuseAbove = c.refuseAbove;
    Recorder& recorder = Make(c.ceiling);
    ASSERT_TRUE(recorder.Start(kStereo16, PathOf(base + ".wav")));
    std::vector<uint8_t> input;
    DeliverInto(input, 9, 130);
    Settle();
    EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
    EXPECT_TRUE(reports_.writeFailures.empty());
    EXPECT_EQ(recorder.RecordedBytes(), static_cast<int64_t>(input.size()));
    EXPECT_EQ(recorder.CurrentFileName(), PathOf(base + " (5).wav"));
    EXPECT_EQ(reports_.files.back(), PathOf(base + " (5).wav"));
    recorder.Stop();
    std::vector<uint8_t> output;
    for (const char* part : {"", " (2)", " (3)", " (4)", " (5)"}) {
      const auto audio = CheckedAudio(PathOf(base + part + ".wav"));
      EXPECT_LE(audio.size(), 1000u) << part;
      output.insert(output.end(), audio.begin(), audio.end());
    }
    EXPECT_EQ(output, input);
    EXPECT_FALSE(fs::exists(PathOf(base + " (6).wav")));
  }
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
  Recorder other(audio_, clock_, freeSpace_, otherReports);
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
      {{31990}, "1 dropout (about 1.0 s lost)"},  // 999.7 ms
      {{940800}, "1 dropout (about 29.4 s lost)"},
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

// A write the disk refuses (full) pauses the recording with the reason; what was captured waits and is
// written once the user resumes. A stop before that gives it up and says how much.
TEST_F(RecorderTest, RefusedWritePausesAndTheBacklogWaitsForTheResume) {
  Recorder& recorder = Make();
  disk_.refusal = ENOSPC;
  disk_.refuseAbove = 44 + 1000 + 2;
  for (const bool resume : {true, false}) {
    SCOPED_TRACE(resume ? "resumed" : "stopped");
    reports_ = {};
    const std::string path = PathOf(resume ? "full.wav" : "given_up.wav");
    ASSERT_TRUE(recorder.Start(kStereo16, path));
    std::vector<uint8_t> input;
    DeliverInto(input, 3, 200);
    Settle();
    EXPECT_EQ(recorder.Tick(), TickOutcome::Paused);
    EXPECT_TRUE(recorder.State().Paused);
    EXPECT_EQ(reports_.writeFailures,
              std::vector<std::string>{"Cannot write to file \"" + path + "\": No space left on device"});
    EXPECT_EQ(recorder.Tick(), TickOutcome::Running) << "reported once";
    EXPECT_TRUE(recorder.Writer().Paused()) << "nothing is taken while paused";
    DeliverFrames(50);
    if (resume) {
      disk_.refuseAbove = 0;
      recorder.SetPaused(false);
      DeliverInto(input, 1, 100);
      recorder.Stop();
      EXPECT_EQ(CheckedAudio(path), input);
      EXPECT_TRUE(reports_.faults.empty());
    } else {
      recorder.Stop();
      EXPECT_EQ(CheckedAudio(path).size(), 1000u);
      ASSERT_EQ(reports_.faults.size(), 1u);
      EXPECT_NE(reports_.faults[0].find("the last 44 ms captured for \"" + path + "\" could not be written"),
                std::string::npos)
          << reports_.faults[0];  // 1400 bytes at 32000 a second
      EXPECT_EQ(recorder.Dropouts(), (capture::DropoutCount{1, 1400}));
    }
    disk_.refuseAbove = 44 + 1000 + 2;
  }
}

// A full disk pauses a compressed recording, and what the encoder made meanwhile waits: after the
// resume the stream takes up where it stopped, one file with every frame. A file that may not grow
// (EFBIG) ends its stream instead, and the recording goes on at once in " (2)", " (3)" ..., each a
// stream of its own beginning with the audio the refused write held; at each seam at most the
// encoder's one unwritten block is missing.
TEST_F(RecorderTest, RefusedWriteOfACompressedStreamWaitsOrGoesOnInTheNextPart) {
  const std::vector<uint8_t> input = MakeTestSignal(kMono16, 3.0);
  const std::vector<int32_t> expected = SamplesOf(input);
  const std::size_t cut = 2 * kMono16.BytesPerSecond();
  for (const int refusal : {ENOSPC, EFBIG}) {
    const std::string name = refusal == ENOSPC ? "full" : "too_big";
    SCOPED_TRACE(name);
    Recorder& recorder = Make();
    disk_.refusal = refusal;
    disk_.refuseAbove = 6000;
    ASSERT_TRUE(recorder.Start(kMono16, PathOf(name + ".flac"), FileType::Flac));
    for (std::size_t at = 0; at < cut; at += 1600)
      ASSERT_TRUE(audio_.Deliver(std::span(input).subspan(at, 1600)));
    Settle();
    EXPECT_EQ(recorder.Tick(), refusal == ENOSPC ? TickOutcome::Paused : TickOutcome::Running);
    if (refusal == ENOSPC) {
      disk_.refuseAbove = 0;
      recorder.SetPaused(false);
    }
    for (std::size_t at = cut; at < input.size(); at += 1600)
      ASSERT_TRUE(audio_.Deliver(std::span(input).subspan(at, 1600)));
    recorder.Stop();
    disk_.refuseAbove = 0;
    std::vector<DecodedAudio> parts{DecodeFlac(ReadAll(PathOf(name + ".flac")))};
    for (int part = 2; fs::exists(PathOf(name + " (" + std::to_string(part) + ").flac")); ++part)
      parts.push_back(DecodeFlac(ReadAll(PathOf(name + " (" + std::to_string(part) + ").flac"))));
    if (refusal == ENOSPC) {
      ASSERT_EQ(parts.size(), 1u);
      EXPECT_TRUE(parts[0].ok && parts[0].headerHasMd5);
      EXPECT_EQ(parts[0].samples, expected);
      continue;
    }
    ASSERT_GE(parts.size(), 3u);
    std::size_t decoded = 0;
    for (const DecodedAudio& part : parts) {
      EXPECT_TRUE(part.ok);
      decoded += part.samples.size();
    }
    EXPECT_TRUE(std::equal(parts[0].samples.begin(), parts[0].samples.end(), expected.begin()));
    EXPECT_TRUE(std::equal(parts.back().samples.rbegin(), parts.back().samples.rend(), expected.rbegin()));
    EXPECT_GE(decoded + (parts.size() - 1) * kMono16.rate / 4, expected.size());
  }
}

// A disk that stalls holds back only the writer: the capture goes on into the backlog, which reaches
// the file at the latest at the stop. What does not fit is counted, to the byte.
TEST_F(RecorderTest, StalledDiskLosesOnlyWhatTheBacklogCannotHoldAndCountsIt) {
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("slow.wav")));
  disk_.HoldWrites(true);
  std::vector<uint8_t> input;
  uint64_t delivered = 0;
  // 25 s at 32000 bytes a second into a backlog of 20 s: the capture is never held up.
  for (int buffer = 0; buffer < 125; ++buffer) {
    auto delivery = std::async(std::launch::async, [this] { return DeliverFrames(1600); });
    ASSERT_EQ(delivery.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "the capture waited";
    const auto bytes = delivery.get();
    delivered += bytes.size();
    if (input.size() < 640000) input.insert(input.end(), bytes.begin(), bytes.end());
  }
  recorder.Tick();
  EXPECT_EQ(recorder.Dropouts(), (capture::DropoutCount{1, delivered - 640000}));
  EXPECT_EQ(recorder.DropoutsText(), "1 dropout (about 5.0 s lost)");
  auto release = std::async(std::launch::async, [this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    disk_.HoldWrites(false);
  });
  recorder.Stop();
  EXPECT_EQ(CheckedAudio(PathOf("slow.wav")), input) << "the backlog is written at the stop";
  EXPECT_TRUE(reports_.faults.empty());
}

// Data and header reach the disk at least every two seconds of a running recording, by the writer's
// clock; a sync that takes long holds up neither the capture nor the clock of the syncs after it.
TEST_F(RecorderTest, SyncsKeepTheFileDurableAndASlowOneStallsNothing) {
  using namespace std::chrono_literals;
  disk_.fakeClock = true;
  Recorder& recorder = Make();
  ASSERT_TRUE(recorder.Start(kStereo16, PathOf("durable.wav")));
  const auto begin = disk_.Now();
  for (int step = 0; step < 100; ++step) {  // 10 s in deliveries of 100 ms
    disk_.Advance(100ms);
    DeliverFrames(800);
    Settle();
  }
  const auto syncs = disk_.SyncTimes();
  ASSERT_GE(syncs.size(), 5u);
  EXPECT_LE(syncs.size(), 11u) << "not at every delivery";
  auto previous = begin;
  for (const auto at : syncs) {
    EXPECT_LE(at - previous, 2s);
    previous = at;
  }
  const auto live = LiveBytes(recorder, "durable.wav");
  ASSERT_GE(live.size(), 44u);
  EXPECT_EQ(U32At(live, 40), live.size() - 44) << "the header synced with the data";

  disk_.HoldSyncs(true);
  disk_.Advance(2s);
  DeliverFrames(800);
  for (int wait = 0; wait < 500 && !disk_.syncing; ++wait) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(disk_.syncing);
  for (int buffer = 0; buffer < 20; ++buffer) {
    auto delivery = std::async(std::launch::async, [this] { DeliverFrames(800); });
    ASSERT_EQ(delivery.wait_for(5s), std::future_status::ready) << "the capture waited for the sync";
  }
  EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
  disk_.HoldSyncs(false);
  recorder.Stop();
  EXPECT_EQ(CheckedAudio(PathOf("durable.wav")).size(), 121u * 800 * kFrame);
}

// A size or time limit ends a recording at exactly that byte of audio, and a chain switches files
// there, whatever the deliveries' sizes; the files together are the captured audio without a gap.
TEST_F(RecorderTest, LimitsEndRecordingsAndChainedFilesAtTheExactByte) {
  struct Case {
    int unit;  // as the scheduler's list: 0 megabytes, 1 minutes
    int count;
    uint64_t bytes;
  };
  for (const Case& c : {Case{0, 1, 1048576}, Case{1, 1, 60 * 32000}}) {
    SCOPED_TRACE(c.unit);
    Recorder& recorder = Make();
    std::vector<uint8_t> input;
    std::vector<std::string> names;
    const auto record = [&](const std::string& name) {
      names.push_back(PathOf(name));
      recorder.ResetLimits();  // what the window does as a recording starts
      recorder.SetStopAfter(c.unit, c.count);
      while (!recorder.LimitReached(true)) {
        DeliverInto(input, 1, 1301);  // no divisor of the limit
        Settle();                     // at the pace of real time the backlog never fills: the writer keeps up
      }
      EXPECT_EQ(recorder.RecordedBytes(), static_cast<int64_t>(c.bytes));
    };
    ASSERT_TRUE(recorder.Start(kStereo16, PathOf("limit_1.wav")));
    record("limit_1.wav");
    for (const char* next : {"limit_2.wav", "limit_3.wav"}) {
      recorder.StartNext(PathOf(next));
      record(next);
    }
    recorder.Stop();
    std::vector<uint8_t> output;
    for (const std::string& name : names) {
      const auto audio = CheckedAudio(name);
      EXPECT_EQ(audio.size(), c.bytes) << name;
      output.insert(output.end(), audio.begin(), audio.end());
    }
    input.resize(3 * c.bytes);  // what came after the last limit belongs to no recording
    EXPECT_EQ(output, input);
    for (const std::string& name : names) fs::remove(name);
  }
}

// A compressed stream goes on in the new file where it stood: the file is the whole stream.
TEST_F(RecorderTest, RemovedFolderIsMadeAgainWithEverythingRecorded) {
  for (FileType type : {FileType::Wav, FileType::Flac}) {
    const fs::path folder = dir_ / ("sub" + std::string(FileTypeExtension(type)));
    const fs::path file = folder / ("take" + std::string(FileTypeExtension(type)));
    SCOPED_TRACE(file.string());
    reports_.faults.clear();
    fs::create_directory(folder);
    Recorder& recorder = Make();
    ASSERT_TRUE(recorder.Start(kStereo16, file.string(), type));
    std::vector<uint8_t> input = DeliverFrames(300);
    Settle();
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
    if (type == FileType::Wav) {
      EXPECT_EQ(CheckedAudio(file), input);
    } else {
      const DecodedAudio decoded = DecodeFlac(ReadAll(file));
      EXPECT_TRUE(decoded.ok && decoded.headerHasMd5);
      EXPECT_EQ(decoded.samples, SamplesOf(input));
    }
    EXPECT_LE(reports_.faults.size(), 1u);
  }
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
    Settle();
    const auto bytes = LiveBytes(recorder, "live.wav");
    ASSERT_GE(bytes.size(), 44u);
    const uint32_t covered = U32At(bytes, 40);
    EXPECT_EQ(U32At(bytes, 4), covered + 36);
    EXPECT_LE(covered, delivered);
    EXPECT_LT(delivered - covered, kStereo16.BytesPerSecond() / 2 + 1) << delivered;
  }
  recorder.Stop();
}

// Every type through the engine: a chain of two recordings, the first split into parts at a low
// ceiling. Each file is a complete stream of its own; FLAC and RAW give back exactly the input, the
// lossy types its length within their codec delays.
TEST_F(RecorderTest, EveryTypeKeepsEveryFrameAcrossChainsAndParts) {
  struct Case {
    FileType type;
    uint64_t ceiling;  // file bytes for the compressed types, audio bytes for RAW
  };
  for (const Case& c : {Case{FileType::Raw, 20000}, Case{FileType::Flac, 15000}, Case{FileType::Opus, 30000},
                        Case{FileType::Mp3, 40000}}) {
    const std::string ext(FileTypeExtension(c.type));
    SCOPED_TRACE(ext);
    Recorder& recorder = Make(c.ceiling);
    const std::vector<uint8_t> input = MakeTestSignal(kMono16, 4.0);
    const std::size_t split = 3 * kMono16.BytesPerSecond();
    const auto partName = [&](int part) {
      return PathOf("take_1" + (part == 1 ? "" : " (" + std::to_string(part) + ")") + ext);
    };
    // FLAC's free time: the rate of the whole recording, every part of it.
    const auto firstRecordingRate = [&] {
      double bytes = 0;
      for (int part = 1; fs::exists(partName(part)); ++part)
        bytes += static_cast<double>(fs::file_size(partName(part)));
      return bytes / 3;
    };
    ASSERT_TRUE(recorder.Start(kMono16, PathOf("take_1" + ext), c.type));
    for (std::size_t at = 0; at < input.size(); at += 1600) {
      if (at == split) {
        Settle();
        if (c.type == FileType::Flac) {
          EXPECT_NEAR(static_cast<double>(recorder.FileBytesPerSecond()), firstRecordingRate(),
                      0.1 * firstRecordingRate());
        }
        recorder.StartNext(PathOf("take_2" + ext));
      }
      ASSERT_TRUE(audio_.Deliver(std::span(input).subspan(at, 1600)));
      EXPECT_EQ(recorder.Tick(), TickOutcome::Running);
    }
    recorder.Stop();
    EXPECT_TRUE(reports_.faults.empty());
    std::vector<std::string> names;
    for (int part = 1; fs::exists(partName(part)); ++part) names.push_back(partName(part));
    EXPECT_GE(names.size(), 2u) << "the ceiling splits the first recording";
    names.push_back(PathOf("take_2" + ext));
    std::vector<uint8_t> bytes;
    std::vector<int32_t> samples;
    double seconds = 0;
    for (const std::string& name : names) {
      const std::vector<uint8_t> file = ReadAll(name);
      EXPECT_LE(file.size(), c.ceiling) << name;
      if (c.type == FileType::Raw) {
        bytes.insert(bytes.end(), file.begin(), file.end());
        continue;
      }
      const DecodedAudio decoded = DecodeFile(c.type, file);
      EXPECT_TRUE(decoded.ok) << name;
      if (c.type == FileType::Flac) {
        EXPECT_TRUE(decoded.headerHasMd5) << name << " was finished";
      }
      samples.insert(samples.end(), decoded.samples.begin(), decoded.samples.end());
      seconds += decoded.Seconds();
    }
    if (c.type == FileType::Raw) {
      EXPECT_EQ(bytes, input);
    } else if (c.type == FileType::Flac) {
      EXPECT_EQ(samples, SamplesOf(input));
    } else {
      EXPECT_NEAR(seconds, 4.0, 0.15 * static_cast<double>(names.size()));
    }
  }
}

// A size limit counts the file's bytes: a compressed recording ends just below it (within what its
// codec may hold back and its stream's end, a few KB), and what the recorder counted as recorded is
// what the file holds.
TEST_F(RecorderTest, CompressedRecordingEndsBelowItsSizeLimit) {
  const std::vector<uint8_t> input = MakeTestSignal(kMono16, 150.0);
  for (FileType type : {FileType::Flac, FileType::Opus, FileType::Mp3}) {
    const std::string name = PathOf("limit" + std::string(FileTypeExtension(type)));
    SCOPED_TRACE(name);
    Recorder& recorder = Make();
    ASSERT_TRUE(recorder.Start(kMono16, name, type));
    recorder.ResetLimits();
    recorder.SetStopAfter(0, 1);
    std::size_t at = 0;
    for (; !recorder.LimitReached(true) && at < input.size(); at += 1600) {
      ASSERT_TRUE(audio_.Deliver(std::span(input).subspan(at, 1600)));
      Settle();
    }
    ASSERT_LT(at, input.size()) << "the limit was never reached";
    const double recorded = static_cast<double>(recorder.RecordedBytes()) / kMono16.BytesPerSecond();
    recorder.Stop();
    const std::vector<uint8_t> file = ReadAll(name);
    EXPECT_LE(file.size(), 1048576u);
    EXPECT_GT(file.size(), 1048576u - 16384u);
    const DecodedAudio decoded = DecodeFile(type, file);
    EXPECT_TRUE(decoded.ok);
    EXPECT_NEAR(decoded.Seconds(), recorded, type == FileType::Flac ? 0 : 0.15);
  }
}

}  // namespace
}  // namespace orvimo
