#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/sample_format.h"
#include "capture/audio_library.h"
#include "encoding/encoder.h"
#include "encoding/file_type.h"
#include "recording/audio_ring.h"
#include "recording/output_file.h"

namespace orvimo {

// The most audio bytes one PCM WAV file can describe: the RIFF size (data + 36) must fit 32 bits.
inline constexpr uint64_t kWaveDataCeiling = 0xFFFFFFFFull - 36;

// The disk as the writer thread reaches it: the clock it keeps its syncs by, its writes, syncs and new
// files. Tests stall it, refuse writes, count the syncs and move the clock.
class WriterDisk {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~WriterDisk() = default;
  virtual Clock::time_point Now() { return Clock::now(); }
  virtual std::size_t Write(OutputFile& file, const uint8_t* data, std::size_t length, uint64_t offset,
                            int& error) {
    return file.WriteAt(data, length, offset, error);
  }
  virtual void Sync(OutputFile& file) { file.Sync(); }
  virtual std::unique_ptr<OutputFile> Create(const std::string& path) { return OutputFile::Create(path); }
};

struct RecordingPart;

// The compressed types' encoder writes through this into the part it belongs to, at the part's offset.
// Bytes the disk refuses while the file may still grow (a full disk, a quota) wait here, in order, until
// WriteWaiting gets them onto it; the stream's size counts them.
class PartSink final : public ByteSink {
 public:
  PartSink(WriterDisk& disk, RecordingPart& part) : disk_(disk), part_(&part) {}
  bool Append(const uint8_t* data, size_t size) override;
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;
  uint64_t Size() const override;
  // True when nothing waits (any more).
  bool WriteWaiting();
  bool Waiting() const { return !waiting_.empty(); }
  // The part written again at its path takes the stream over where it stands.
  void MoveTo(RecordingPart& part) { part_ = &part; }
  // The errno of the last write that failed; 0 while none did or since the waiting bytes went out.
  int Error() const { return error_; }

 private:
  std::size_t Write(uint64_t offset, const uint8_t* data, std::size_t size);
  std::size_t AppendToFile(const uint8_t* data, std::size_t size);

  WriterDisk& disk_;
  RecordingPart* part_;
  std::vector<uint8_t> waiting_;
  int error_ = 0;
};

// The encoder of one compressed stream and the sink it holds on to.
struct PartEncoding {
  PartEncoding(WriterDisk& disk, RecordingPart& part) : sink(disk, part) {}
  PartSink sink;
  std::unique_ptr<Encoder> encoder;
  bool failed = false;  // it refused audio: the stream ends here, the recording goes on in a next part
};

// One file of a recording as the writer sees it. Made on the GUI thread; while it is the writer's
// current part only the writer thread changes it.
struct RecordingPart {
  std::unique_ptr<OutputFile> file;
  FileType type = FileType::Wav;
  std::unique_ptr<PartEncoding> encoding;  // the compressed types'
  uint64_t id = 0;                         // a part freed and another made at its address differ
  // Where the next byte of the file goes: its length as written. Only the writer thread writes it; the
  // GUI thread may read it.
  std::atomic<uint64_t> offset{kWaveHeaderSize};
  uint64_t audio = 0;    // bytes of captured audio the part holds, as PCM or encoded
  uint64_t sizedTo = 0;  // audio the header's size fields (or the encoder's last flush) cover
  bool used = false;     // the writer has taken it: a part never taken is thrown away
  // A new recording: it begins at this position of the captured stream (see RecordingWriter::Accepted).
  bool startsRecording = false;
  uint64_t startsAt = 0;
  // The same audio again at a new file: writing goes on at once, at the offset the replaced part had.
  bool carriesOffset = false;
  RecordingPart* nextFinished = nullptr;
};

// Between the capture callback and the files. The capture thread only copies each buffer into a ring
// allocated at Begin (a few seconds of audio) and wakes the writer thread: it never waits for the disk,
// takes no lock and allocates nothing. What does not fit is counted as a dropout.
//
// The writer thread owns the file writes: it writes the ring's backlog at each part's own offset, keeps
// the header's size fields current about every half second of audio, and syncs data and header at
// least every kSyncInterval, so a slow disk or a slow sync only lets the backlog grow. A recording that
// reaches its size limit ends at exactly that byte of the captured stream: the writer holds there until
// the GUI thread hands over the next recording's file, or ends. Past the 4 GiB ceiling, or when the
// system refuses a write with EFBIG, the writer opens " (2)", " (3)" ... itself and goes on without a
// gap. Parts it has left come back through a lock-free list for the GUI thread to complete.
class RecordingWriter {
 public:
  static constexpr auto kSyncInterval = std::chrono::seconds(1);
  // How long a stop waits for the backlog to reach the disk before giving up the rest.
  static constexpr auto kDrainLimit = std::chrono::seconds(5);
  static constexpr int64_t kBacklogSeconds = 20;

  // ceiling: audio bytes one file may hold (rounded down to whole frames); tests lower it. disk: null
  // for the system's.
  explicit RecordingWriter(uint64_t ceiling = kWaveDataCeiling, WriterDisk* disk = nullptr);
  ~RecordingWriter();
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  // GUI thread, no capture running: the first file of a recording in that format; the writer starts.
  void Begin(std::unique_ptr<RecordingPart> first, SampleFormat format);
  // GUI thread, capture stopped: the backlog is written (for at most drainLimit), the writer thread
  // ends, and every part still held comes back, the current one first (null when none). The parts the
  // writer had are synced with their size fields.
  std::vector<std::unique_ptr<RecordingPart>> End(std::chrono::milliseconds drainLimit = kDrainLimit);
  // Audio bytes of the present recording that the last End could not write in time.
  uint64_t GivenUp() const { return givenUp_; }

  // The capture callback; user is the writer.
  static bool Callback(uint32_t channel, const void* buffer, uint32_t length, void* user);
  void Write(const uint8_t* data, uint32_t length) noexcept;

  // GUI thread while capturing: a part the writer switches to at its startsAt (at once for
  // carriesOffset). False when one handed before is still waiting.
  bool HandNext(std::unique_ptr<RecordingPart>& part);
  bool NextWaiting() const { return next_.load(std::memory_order_acquire) != nullptr; }
  // The parts the writer has left since the last call, oldest first.
  std::vector<std::unique_ptr<RecordingPart>> TakeFinished();
  // The part being written; stays valid until it comes back through TakeFinished or End.
  const RecordingPart* Current() const { return current_.load(std::memory_order_acquire); }

  // Bytes of audio the ring took since Begin: the captured stream's length, positions in it count
  // recordings. Paused and dropped audio is not in it.
  uint64_t Accepted() const { return accepted_.load(std::memory_order_acquire); }
  // Bytes of that stream that reached the files.
  uint64_t Written() const { return consumed_.load(std::memory_order_acquire); }
  // The file bytes of the present recording: its earlier parts' and the current part's.
  uint64_t RecordingFileBytes() const;
  // Stretches of audio dropped because the ring was full.
  capture::DropoutCount Overflows() const;
  // GUI thread: the present recording ends that many bytes after its start; 0 for no end.
  void SetRecordingLimit(uint64_t bytes);
  // GUI thread: a compressed recording ends before its file grows past that many bytes; 0 for no end.
  void SetFileSizeLimit(uint64_t bytes);
  // Where in the present recording's audio the file size limit ended it; 0 while it did not.
  uint64_t FileSizeLimitEnd() const { return fileLimitEnd_.load(std::memory_order_acquire); }
  // Tests: waits until the writer has done what it can with everything delivered so far.
  bool WaitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  // The errno of a write that failed, 0 while none did. The writer then writes nothing more (the
  // backlog stays in the ring) until ClearError.
  int Error() const { return error_.load(std::memory_order_acquire); }
  void ClearError();
  void SetPaused(bool paused) { paused_.store(paused, std::memory_order_release); }
  bool Paused() const { return paused_.load(std::memory_order_acquire); }
  uint64_t Ceiling() const { return ceiling_; }
  uint32_t BlockAlign() const { return blockAlign_; }
  WriterDisk& Disk() { return disk_; }

 private:
  enum class Progress { Wrote, Idle, Blocked };
  struct Fit {
    enum class Limit { Ceiling, FileSize };
    uint64_t frames = 0;
    Limit limitedBy = Limit::Ceiling;
  };

  void Run();
  Progress WriteBacklog();
  std::size_t WriteAudio(const uint8_t* data, std::size_t length);
  std::size_t EncodeAudio(const uint8_t* data, std::size_t length);
  Fit FramesThatFit(const RecordingPart& part, uint64_t wanted) const;
  void EndAtFileSizeLimit(std::size_t done);
  void FinishEncoding(RecordingPart& part) noexcept;
  bool Continue();
  void KeepDurable();
  void WaitForWork();
  void Wake();
  void SwitchTo(RecordingPart* next);
  void Finish(RecordingPart* part) noexcept;
  void RefreshSizes(RecordingPart& part) noexcept;
  uint64_t RecordingEnd() const;

  const uint64_t requestedCeiling_;
  WriterDisk defaultDisk_;
  WriterDisk& disk_;
  uint64_t ceiling_ = 0;
  uint32_t blockAlign_ = 1;
  uint64_t refreshBytes_ = 1;
  SampleFormat format_{};
  AudioRing ring_;

  std::atomic<RecordingPart*> current_{nullptr};
  std::atomic<RecordingPart*> next_{nullptr};
  std::atomic<RecordingPart*> finished_{nullptr};  // newest first
  std::atomic<uint64_t> accepted_{0};
  std::atomic<uint64_t> consumed_{0};
  std::atomic<uint64_t> limit_{0};
  std::atomic<uint64_t> fileLimit_{0};
  std::atomic<uint64_t> fileLimitEnd_{0};
  std::atomic<uint64_t> earlierPartsBytes_{0};
  std::atomic<uint64_t> overflowCount_{0};
  std::atomic<uint64_t> overflowBytes_{0};
  bool overflowing_ = false;  // the capture thread's: the last buffer did not fit either
  std::atomic<int> error_{0};
  std::atomic<bool> paused_{false};

  // The writer thread's own.
  uint64_t recordingStart_ = 0;
  uint64_t lastContinuationId_ = uint64_t{1} << 62;  // apart from the ids the GUI thread gives
  std::string recordingName_;  // continuations are named after the recording's first part
  int nextPartNumber_ = 2;
  const RecordingPart* syncedPart_ = nullptr;
  uint64_t syncedOffset_ = 0;
  WriterDisk::Clock::time_point lastSync_{};

  // Waking the writer: the capture thread counts its buffers and notifies without taking the mutex;
  // a wake-up lost in between is made good by the writer's timed wait.
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  mutable std::condition_variable idle_;
  std::atomic<uint64_t> pushes_{0};
  std::atomic<uint64_t> seenPushes_{0};
  std::atomic<bool> waiting_{false};
  std::atomic<bool> ending_{false};
  std::atomic<bool> givingUp_{false};
  bool ended_ = false;  // under mutex_
  uint64_t givenUp_ = 0;
};

// A new part of a recording over the file, its header written (for the compressed types, its
// encoder's). Throws, leaving the file to the caller.
std::unique_ptr<RecordingPart> MakeRecordingPart(std::unique_ptr<OutputFile> file, FileType type,
                                                 const SampleFormat& format, WriterDisk& disk, uint64_t id);

static_assert(std::atomic<uint64_t>::is_always_lock_free, "the byte counters must be read whole");
static_assert(std::atomic<RecordingPart*>::is_always_lock_free);

}  // namespace orvimo
