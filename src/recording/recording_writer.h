#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/sample_format.h"
#include "recording/output_file.h"

namespace orvimo {

// The most audio bytes one PCM WAV file can describe: the RIFF size (data + 36) must fit 32 bits.
inline constexpr uint64_t kWaveDataCeiling = 0xFFFFFFFFull - 36;

// One file of a recording as the writer sees it. Made on the GUI thread; while it is the writer's
// current part only the capture thread changes it.
struct RecordingPart {
  std::unique_ptr<OutputFile> file;
  uint64_t id = 0;  // set by the GUI thread; a part freed and another made at its address differ
  // Where the next audio byte goes. Only the capture thread writes it; the GUI thread may read it.
  std::atomic<uint64_t> offset{kWaveHeaderSize};
  uint64_t sizedTo = 0;  // audio bytes the header's size fields cover
  bool used = false;     // the writer has taken it: a part never taken is thrown away
  // A new recording: its byte count starts from zero when the writer switches to it.
  bool startsRecording = false;
  // The same audio again at a new file: writing goes on at the offset the replaced part had reached.
  bool carriesOffset = false;
  RecordingPart* nextFinished = nullptr;
};

// What the capture callback writes into. It writes each buffer at its own tracked offset, counts only
// the bytes that reached the file, keeps the first write error and writes nothing after it, and keeps
// the header's size fields current about every half second of audio, so a process that dies leaves a
// file readable to within that much.
//
// Files change without a gap. The GUI thread hands over a prepared next file, taken at the start of the
// next buffer, and a spare continuation, taken when the current file reaches the ceiling or the system
// refuses it with EFBIG; the split then falls at a frame boundary inside the buffer. Finished files come
// back through a lock-free list for the GUI thread to patch and close. The capture thread takes no lock
// and allocates nothing.
class RecordingWriter {
 public:
  // ceiling: audio bytes one file may hold (rounded down to whole frames); tests lower it.
  explicit RecordingWriter(uint64_t ceiling = kWaveDataCeiling);
  ~RecordingWriter();
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  // GUI thread, no capture running: the first file of a recording in that format.
  void Begin(std::unique_ptr<RecordingPart> first, SampleFormat format);
  // GUI thread, capture stopped: every part still held, the current one first (null when none).
  std::vector<std::unique_ptr<RecordingPart>> End();

  // The capture callback; user is the writer.
  static bool Callback(uint32_t channel, const void* buffer, uint32_t length, void* user);
  void Write(const uint8_t* data, uint32_t length) noexcept;

  // GUI thread while capturing. False when one handed before is still waiting.
  bool HandNext(std::unique_ptr<RecordingPart>& part);
  bool HandSpare(std::unique_ptr<RecordingPart>& part);
  bool NextWaiting() const { return next_.load(std::memory_order_acquire) != nullptr; }
  bool SpareWaiting() const { return spare_.load(std::memory_order_acquire) != nullptr; }
  // The parts the writer has left since the last call, oldest first.
  std::vector<std::unique_ptr<RecordingPart>> TakeFinished();
  // The part being written; stays valid until it comes back through TakeFinished or End.
  const RecordingPart* Current() const { return current_.load(std::memory_order_acquire); }

  // Audio bytes of the present recording that reached its files (all parts of it).
  int64_t RecordingBytes() const;
  // GUI thread: the count starts again from zero (after a stopped recording has been shown).
  void RestartCount();
  // The errno of the first write that failed, 0 while none did.
  int Error() const { return error_.load(std::memory_order_acquire); }
  // Writing is tried again (after the user resumed a recording a failed write paused).
  void ClearError() { error_.store(0, std::memory_order_release); }
  void SetPaused(bool paused) { paused_.store(paused, std::memory_order_release); }
  bool Paused() const { return paused_.load(std::memory_order_acquire); }
  uint64_t Ceiling() const { return ceiling_; }
  uint32_t BlockAlign() const { return blockAlign_; }

 private:
  void SwitchTo(RecordingPart* next) noexcept;
  bool SwitchToSpare() noexcept;
  void Finish(RecordingPart* part) noexcept;
  void RefreshSizes(RecordingPart& part) noexcept;
  static void Release(std::atomic<RecordingPart*>& slot);

  const uint64_t requestedCeiling_;
  uint64_t ceiling_ = 0;
  uint32_t blockAlign_ = 1;
  uint64_t refreshBytes_ = 1;
  std::atomic<RecordingPart*> current_{nullptr};
  std::atomic<RecordingPart*> next_{nullptr};
  std::atomic<RecordingPart*> spare_{nullptr};
  std::atomic<RecordingPart*> finished_{nullptr};  // newest first
  std::atomic<int64_t> total_{0};                  // every byte written since Begin
  std::atomic<int64_t> recordingStart_{0};         // total_ when the present recording began
  std::atomic<int> error_{0};
  std::atomic<bool> paused_{false};
};

static_assert(std::atomic<int64_t>::is_always_lock_free, "the byte counter must be read whole");
static_assert(std::atomic<RecordingPart*>::is_always_lock_free);

}  // namespace orvimo
