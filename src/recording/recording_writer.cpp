#include "recording/recording_writer.h"

#include <algorithm>
#include <cerrno>

namespace orvimo {

RecordingWriter::RecordingWriter(uint64_t ceiling) : requestedCeiling_(ceiling) {}

RecordingWriter::~RecordingWriter() { End(); }

void RecordingWriter::Begin(std::unique_ptr<RecordingPart> first, SampleFormat format) {
  End();
  blockAlign_ = std::max<uint32_t>(format.BlockAlign(), 1);
  ceiling_ = requestedCeiling_ - requestedCeiling_ % blockAlign_;
  // Half a second of audio, whole frames, between two refreshes of the size fields.
  refreshBytes_ =
      std::max<uint64_t>(static_cast<uint64_t>(format.BytesPerSecond()) / 2 / blockAlign_, 1) * blockAlign_;
  total_ = 0;
  recordingStart_ = 0;
  error_ = 0;
  first->used = true;
  current_.store(first.release(), std::memory_order_release);
}

std::vector<std::unique_ptr<RecordingPart>> RecordingWriter::End() {
  std::vector<std::unique_ptr<RecordingPart>> parts;
  parts.emplace_back(current_.exchange(nullptr));
  for (auto& part : TakeFinished()) parts.push_back(std::move(part));
  for (auto* slot : {&next_, &spare_}) {
    if (RecordingPart* waiting = slot->exchange(nullptr)) parts.emplace_back(waiting);
  }
  return parts;
}

bool RecordingWriter::Callback(uint32_t /*channel*/, const void* buffer, uint32_t length, void* user) {
  static_cast<RecordingWriter*>(user)->Write(static_cast<const uint8_t*>(buffer), length);
  return true;
}

void RecordingWriter::Write(const uint8_t* data, uint32_t length) noexcept {
  if (paused_.load(std::memory_order_acquire)) return;  // dropped, not counted
  if (RecordingPart* next = next_.exchange(nullptr, std::memory_order_acq_rel)) SwitchTo(next);
  if (error_.load(std::memory_order_acquire) != 0) return;
  RecordingPart* part = current_.load(std::memory_order_relaxed);
  if (part == nullptr) return;

  // The capture layer delivers whole frames; a stray partial one could never be written whole.
  uint64_t remaining = length - length % blockAlign_;
  while (remaining > 0) {
    const uint64_t offset = part->offset.load(std::memory_order_relaxed);
    const uint64_t room = ceiling_ - std::min(ceiling_, offset - kWaveHeaderSize);
    if (room == 0) {
      if (!SwitchToSpare()) return error_.store(EFBIG, std::memory_order_release);
      part = current_.load(std::memory_order_relaxed);
      continue;
    }
    const auto chunk = static_cast<std::size_t>(std::min(remaining, room));
    int error = 0;
    std::size_t written = part->file->WriteAt(data, chunk, offset, error);
    written -= written % blockAlign_;  // a part keeps whole frames; the rest goes again or is cut off
    part->offset.store(offset + written, std::memory_order_release);
    total_.fetch_add(static_cast<int64_t>(written), std::memory_order_acq_rel);
    data += written;
    remaining -= written;
    if (error == 0) continue;
    RefreshSizes(*part);
    if (error != EFBIG || !SwitchToSpare()) return error_.store(error, std::memory_order_release);
    part = current_.load(std::memory_order_relaxed);
  }
  if (part->offset.load(std::memory_order_relaxed) - kWaveHeaderSize - part->sizedTo >= refreshBytes_) {
    RefreshSizes(*part);
  }
}

void RecordingWriter::RefreshSizes(RecordingPart& part) noexcept {
  const uint64_t audio = part.offset.load(std::memory_order_relaxed) - kWaveHeaderSize;
  if (audio == part.sizedTo) return;
  if (part.file->WriteSizeFields(audio)) part.sizedTo = audio;
}

void RecordingWriter::SwitchTo(RecordingPart* next) noexcept {
  RecordingPart* previous = current_.load(std::memory_order_relaxed);
  if (previous != nullptr) {
    if (next->carriesOffset) next->offset.store(previous->offset.load(std::memory_order_relaxed));
    RefreshSizes(*previous);
    Finish(previous);
  }
  if (next->startsRecording) {
    recordingStart_.store(total_.load(std::memory_order_relaxed), std::memory_order_release);
    error_.store(0, std::memory_order_release);
  }
  next->used = true;
  current_.store(next, std::memory_order_release);
}

bool RecordingWriter::SwitchToSpare() noexcept {
  RecordingPart* spare = spare_.exchange(nullptr, std::memory_order_acq_rel);
  if (spare == nullptr) return false;
  SwitchTo(spare);
  return true;
}

void RecordingWriter::Finish(RecordingPart* part) noexcept {
  part->nextFinished = finished_.load(std::memory_order_relaxed);
  while (!finished_.compare_exchange_weak(part->nextFinished, part, std::memory_order_acq_rel)) {
  }
}

bool RecordingWriter::HandNext(std::unique_ptr<RecordingPart>& part) {
  RecordingPart* expected = nullptr;
  if (!next_.compare_exchange_strong(expected, part.get(), std::memory_order_acq_rel)) return false;
  part.release();
  return true;
}

bool RecordingWriter::HandSpare(std::unique_ptr<RecordingPart>& part) {
  RecordingPart* expected = nullptr;
  if (!spare_.compare_exchange_strong(expected, part.get(), std::memory_order_acq_rel)) return false;
  part.release();
  return true;
}

std::vector<std::unique_ptr<RecordingPart>> RecordingWriter::TakeFinished() {
  std::vector<std::unique_ptr<RecordingPart>> parts;
  for (RecordingPart* part = finished_.exchange(nullptr, std::memory_order_acq_rel); part != nullptr;) {
    RecordingPart* older = part->nextFinished;
    parts.emplace_back(part);
    part = older;
  }
  std::reverse(parts.begin(), parts.end());
  return parts;
}

void RecordingWriter::RestartCount() {
  recordingStart_.store(total_.load(std::memory_order_acquire), std::memory_order_release);
}

int64_t RecordingWriter::RecordingBytes() const {
  // The start first: a switch between the two loads can only make this read too high for one tick.
  const int64_t start = recordingStart_.load(std::memory_order_acquire);
  return std::max<int64_t>(total_.load(std::memory_order_acquire) - start, 0);
}

}  // namespace orvimo
