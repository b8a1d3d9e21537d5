#include "recording/recording_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "recording/file_name_template.h"

namespace orvimo {

namespace {

constexpr uint64_t kNoEnd = std::numeric_limits<uint64_t>::max();
// One write call at most: the writer looks at a stop, a next part and its syncs between them.
constexpr std::size_t kWriteChunk = 64 * 1024;
constexpr std::size_t kMinRing = 256 * 1024;
constexpr std::size_t kMaxRing = 64 * 1024 * 1024;
// The writer wakes at least this often, so a wake-up the capture thread's notify missed costs no more.
constexpr auto kLongestWait = std::chrono::seconds(1);

}  // namespace

std::size_t PartSink::Write(uint64_t offset, const uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    int error = 0;
    const std::size_t written = disk_.Write(*part_->file, data + done, size - done, offset + done, error);
    done += written;
    if (error == 0 && written == 0) error = EIO;
    if (error != 0) {
      error_ = error;
      break;
    }
  }
  return done;
}

std::size_t PartSink::AppendToFile(const uint8_t* data, std::size_t size) {
  const uint64_t at = part_->offset.load(std::memory_order_relaxed);
  const std::size_t written = Write(at, data, size);
  part_->offset.store(at + written, std::memory_order_release);
  return written;
}

// What the file refuses for a reason that may pass waits, so the stream goes on without a hole once
// the disk takes it. A file that may not grow (EFBIG) ends the stream instead.
bool PartSink::Append(const uint8_t* data, size_t size) {
  if (!waiting_.empty()) {
    waiting_.insert(waiting_.end(), data, data + size);
    return WriteWaiting() || error_ != EFBIG;
  }
  const std::size_t written = AppendToFile(data, size);
  if (written == size) return true;
  if (error_ == EFBIG) return false;
  waiting_.assign(data + written, data + size);
  return true;
}

bool PartSink::WriteWaiting() {
  if (waiting_.empty()) return true;
  error_ = 0;
  const std::size_t written = AppendToFile(waiting_.data(), waiting_.size());
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(written));
  return waiting_.empty();
}

// While bytes wait, the file's start keeps what it said: a length written now would claim them.
bool PartSink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
  return waiting_.empty() && Write(offset, data, size) == size;
}

uint64_t PartSink::Size() const { return part_->offset.load(std::memory_order_relaxed) + waiting_.size(); }

std::unique_ptr<RecordingPart> MakeRecordingPart(std::unique_ptr<OutputFile> file, FileType type,
                                                 const SampleFormat& format, WriterDisk& disk, uint64_t id) {
  auto part = std::make_unique<RecordingPart>();
  part->id = id;
  part->type = type;
  part->file = std::move(file);
  switch (type) {
    case FileType::Wav:
      part->file->WriteHeader(MakeWaveHeader(format.channels, format.rate, format.bits));
      break;
    case FileType::Raw:
      part->offset = 0;
      break;
    default:
      part->offset = 0;
      part->encoding = std::make_unique<PartEncoding>(disk, *part);
      part->encoding->encoder = MakeEncoder(type, format, part->encoding->sink);
      if (const int error = part->encoding->sink.Error(); error != 0) {
        throw std::runtime_error("Cannot write to file \"" + part->file->FullPath() + "\". " +
                                 std::strerror(error));
      }
      break;
  }
  return part;
}

RecordingWriter::RecordingWriter(uint64_t ceiling, WriterDisk* disk)
    : requestedCeiling_(ceiling), disk_(disk != nullptr ? *disk : defaultDisk_) {}

RecordingWriter::~RecordingWriter() { End(std::chrono::milliseconds(0)); }

void RecordingWriter::Begin(std::unique_ptr<RecordingPart> first, SampleFormat format) {
  End(std::chrono::milliseconds(0));
  blockAlign_ = std::max<uint32_t>(format.BlockAlign(), 1);
  ceiling_ = requestedCeiling_ - requestedCeiling_ % blockAlign_;
  const auto bytesPerSecond = static_cast<uint64_t>(std::max<int64_t>(format.BytesPerSecond(), 1));
  // Half a second of audio, whole frames, between two refreshes of the size fields.
  refreshBytes_ = std::max<uint64_t>(bytesPerSecond / 2 / blockAlign_, 1) * blockAlign_;
  const uint64_t ringBytes = std::clamp<uint64_t>(bytesPerSecond * kBacklogSeconds, kMinRing, kMaxRing);
  ring_.Reset(static_cast<std::size_t>(ringBytes - ringBytes % blockAlign_));
  format_ = format;
  fileLimitEnd_ = 0;
  earlierPartsBytes_ = 0;
  accepted_ = 0;
  consumed_ = 0;
  overflowCount_ = 0;
  overflowBytes_ = 0;
  overflowing_ = false;
  error_ = 0;
  givenUp_ = 0;
  recordingStart_ = 0;
  recordingName_ = first->file->FullPath();
  nextPartNumber_ = 2;
  syncedPart_ = first.get();
  syncedOffset_ = first->offset.load();
  lastSync_ = disk_.Now();
  first->used = true;
  current_.store(first.release(), std::memory_order_release);
  ending_ = false;
  givingUp_ = false;
  ended_ = false;
  thread_ = std::thread([this] { Run(); });
}

std::vector<std::unique_ptr<RecordingPart>> RecordingWriter::End(std::chrono::milliseconds drainLimit) {
  if (thread_.joinable()) {
    ending_.store(true, std::memory_order_release);
    Wake();
    {
      std::unique_lock lock(mutex_);
      if (!idle_.wait_for(lock, drainLimit, [this] { return ended_; })) givingUp_ = true;
    }
    Wake();
    thread_.join();
    // What belongs to the recording and never reached its files: audio past its end does not count.
    const uint64_t end = std::min(Accepted(), RecordingEnd());
    givenUp_ = end > Written() ? end - Written() : 0;
  }
  std::vector<std::unique_ptr<RecordingPart>> parts;
  parts.emplace_back(current_.exchange(nullptr));
  for (auto& part : TakeFinished()) parts.push_back(std::move(part));
  if (RecordingPart* waiting = next_.exchange(nullptr)) parts.emplace_back(waiting);
  return parts;
}

bool RecordingWriter::Callback(uint32_t /*channel*/, const void* buffer, uint32_t length, void* user) {
  static_cast<RecordingWriter*>(user)->Write(static_cast<const uint8_t*>(buffer), length);
  return true;
}

void RecordingWriter::Write(const uint8_t* data, uint32_t length) noexcept {
  if (paused_.load(std::memory_order_acquire)) return;  // dropped, not counted
  // The capture layer delivers whole frames; a stray partial one could never be written whole.
  const std::size_t whole = length - length % blockAlign_;
  const std::size_t taken = ring_.Push(data, whole, blockAlign_);
  accepted_.fetch_add(taken, std::memory_order_acq_rel);
  if (taken < whole) {
    if (!overflowing_) overflowCount_.fetch_add(1, std::memory_order_relaxed);
    overflowBytes_.fetch_add(whole - taken, std::memory_order_relaxed);
  }
  overflowing_ = taken < whole;
  pushes_.fetch_add(1, std::memory_order_release);
  wake_.notify_one();
}

capture::DropoutCount RecordingWriter::Overflows() const {
  return {overflowCount_.load(std::memory_order_acquire), overflowBytes_.load(std::memory_order_acquire)};
}

uint64_t RecordingWriter::RecordingFileBytes() const {
  const RecordingPart* part = Current();
  return earlierPartsBytes_.load(std::memory_order_acquire) +
         (part != nullptr ? part->offset.load(std::memory_order_acquire) : 0);
}

void RecordingWriter::SetRecordingLimit(uint64_t bytes) {
  limit_.store(bytes - bytes % blockAlign_, std::memory_order_release);
  Wake();
}

void RecordingWriter::SetFileSizeLimit(uint64_t bytes) {
  if (fileLimit_.exchange(bytes, std::memory_order_acq_rel) != bytes) fileLimitEnd_.store(0);
  Wake();
}

void RecordingWriter::ClearError() {
  error_.store(0, std::memory_order_release);
  Wake();
}

void RecordingWriter::Wake() {
  pushes_.fetch_add(1, std::memory_order_release);
  std::lock_guard lock(mutex_);
  wake_.notify_one();
}

uint64_t RecordingWriter::RecordingEnd() const {
  uint64_t limit = limit_.load(std::memory_order_acquire);
  if (const uint64_t sizeEnd = FileSizeLimitEnd(); sizeEnd != 0 && (limit == 0 || sizeEnd < limit)) {
    limit = sizeEnd;
  }
  return limit == 0 ? kNoEnd : recordingStart_ + limit;
}

// The writer thread: writes while there is something to write, keeps the files durable, and sleeps
// until the next buffer, the next sync, or the stop.
void RecordingWriter::Run() {
  for (;;) {
    seenPushes_.store(pushes_.load(std::memory_order_acquire), std::memory_order_release);
    if (givingUp_.load(std::memory_order_acquire)) break;
    const Progress progress = WriteBacklog();
    KeepDurable();
    if (progress == Progress::Wrote) continue;
    // Nothing more can be written now: the backlog is done, or it waits for a next part or a resume.
    if (ending_.load(std::memory_order_acquire)) break;
    WaitForWork();
  }
  // Every part comes back complete and synced with its sizes, as a part left behind at a switch does.
  if (RecordingPart* part = current_.load(std::memory_order_relaxed)) {
    RefreshSizes(*part);
    FinishEncoding(*part);
    disk_.Sync(*part->file);
  }
  std::lock_guard lock(mutex_);
  ended_ = true;
  idle_.notify_all();
}

void RecordingWriter::WaitForWork() {
  const bool unsynced =
      syncedPart_ != Current() || (Current() != nullptr && syncedOffset_ != Current()->offset.load());
  auto wait = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kLongestWait);
  if (unsynced)
    wait = std::min(wait, std::max(lastSync_ + kSyncInterval - disk_.Now(), WriterDisk::Clock::duration{}));
  std::unique_lock lock(mutex_);
  waiting_ = true;
  idle_.notify_all();
  wake_.wait_for(lock, wait, [this] {
    return pushes_.load(std::memory_order_acquire) != seenPushes_.load(std::memory_order_acquire);
  });
  waiting_ = false;
}

bool RecordingWriter::WaitUntilIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, timeout, [this] {
    return ended_ || !thread_.joinable() ||
           (waiting_ &&
            pushes_.load(std::memory_order_acquire) == seenPushes_.load(std::memory_order_acquire));
  });
}

RecordingWriter::Progress RecordingWriter::WriteBacklog() {
  if (error_.load(std::memory_order_acquire) != 0 || current_.load(std::memory_order_relaxed) == nullptr) {
    return Progress::Blocked;
  }
  // The end before the next part: the GUI thread hands a next part over before it moves the end.
  RecordingPart* next = next_.load(std::memory_order_acquire);
  const uint64_t written = consumed_.load(std::memory_order_relaxed);
  const uint64_t recordingEnd = RecordingEnd();
  if (next != nullptr && (next->carriesOffset || written >= next->startsAt)) {
    next_.store(nullptr, std::memory_order_release);
    SwitchTo(next);
    return Progress::Wrote;
  }
  const uint64_t end = next != nullptr ? next->startsAt : recordingEnd;
  const std::span<const uint8_t> backlog = ring_.Peek();
  std::size_t length = std::min(backlog.size(), kWriteChunk);
  if (end != kNoEnd)
    length = static_cast<std::size_t>(std::min<uint64_t>(length, end > written ? end - written : 0));
  if (length == 0) return backlog.empty() ? Progress::Idle : Progress::Blocked;
  const std::size_t done = WriteAudio(backlog.data(), length);
  ring_.Consume(done);
  consumed_.store(written + done, std::memory_order_release);
  return done > 0 ? Progress::Wrote : Progress::Blocked;
}

// The one place where audio reaches a part's file: as PCM the way it was captured, or through the
// part's encoder. Splits at the ceiling and at a refused size without a gap, at whole frames.
std::size_t RecordingWriter::WriteAudio(const uint8_t* data, std::size_t length) {
  RecordingPart* part = current_.load(std::memory_order_relaxed);
  if (part->encoding) return EncodeAudio(data, length);
  std::size_t done = 0;
  while (done < length) {
    const uint64_t offset = part->offset.load(std::memory_order_relaxed);
    const uint64_t room = ceiling_ - std::min(ceiling_, part->audio);
    int error = 0;
    std::size_t written = 0;
    if (room == 0) {
      error = EFBIG;
    } else {
      const auto chunk = static_cast<std::size_t>(std::min<uint64_t>(length - done, room));
      written = disk_.Write(*part->file, data + done, chunk, offset, error);
      written -= written % blockAlign_;  // a part keeps whole frames; the rest goes again or is cut off
      part->offset.store(offset + written, std::memory_order_release);
      part->audio += written;
      done += written;
    }
    if (error == 0) continue;
    RefreshSizes(*part);
    if (error != EFBIG || !Continue()) {
      error_.store(error, std::memory_order_release);
      break;
    }
    part = current_.load(std::memory_order_relaxed);
  }
  if (part->audio - part->sizedTo >= refreshBytes_) RefreshSizes(*part);
  return done;
}

// Compressed parts: the ceiling and the size limit count file bytes, and audio is encoded only as far
// as the encoder's worst case for it and for finishing the stream stays within both. At the ceiling the
// recording goes on in the next part; at the size limit it ends at that frame. What a full disk refused
// waits in the part's sink and goes first after the resume, so the stream goes on without a hole. A
// stream that may not grow (EFBIG) ends there, readable as a crash would leave it, and the recording
// goes on in the next part with the audio the refused piece held.
std::size_t RecordingWriter::EncodeAudio(const uint8_t* data, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    RecordingPart* part = current_.load(std::memory_order_relaxed);
    PartSink& sink = part->encoding->sink;
    if (!part->encoding->failed && !sink.WriteWaiting()) {
      if (sink.Error() != EFBIG) {
        error_.store(sink.Error(), std::memory_order_release);
        break;
      }
      part->encoding->failed = true;
    }
    const uint64_t wanted = std::min<uint64_t>(length - done, refreshBytes_) / blockAlign_;
    const Fit fit = part->encoding->failed ? Fit{} : FramesThatFit(*part, wanted);
    if (fit.frames == 0 && fit.limitedBy == Fit::Limit::FileSize) {
      EndAtFileSizeLimit(done);
      break;
    }
    if (fit.frames == 0) {
      // A part that cannot take even its first frame would only be followed by more such parts.
      if ((!part->encoding->failed && part->audio == 0) || !Continue()) {
        error_.store(sink.Error() != 0 ? sink.Error() : EFBIG, std::memory_order_release);
        break;
      }
      continue;
    }
    const std::size_t piece = static_cast<std::size_t>(fit.frames) * blockAlign_;
    if (!part->encoding->encoder->Encode(data + done, fit.frames)) {
      part->encoding->failed = true;
      const int error = sink.Error();
      if (error == EFBIG && part->audio > 0) continue;
      error_.store(error != 0 ? error : EIO, std::memory_order_release);
      break;
    }
    part->audio += piece;
    done += piece;
    if (sink.Waiting()) {
      error_.store(sink.Error(), std::memory_order_release);
      break;
    }
    if (part->audio - part->sizedTo >= refreshBytes_) RefreshSizes(*part);
  }
  return done;
}

// The most of the wanted frames the part's file has room for below the ceiling and the size limit,
// and which of the two is the nearer.
RecordingWriter::Fit RecordingWriter::FramesThatFit(const RecordingPart& part, uint64_t wanted) const {
  const uint64_t offset = part.encoding->sink.Size();
  const uint64_t fileLimit = fileLimit_.load(std::memory_order_acquire);
  const bool sizeLimited = fileLimit != 0 && fileLimit < ceiling_;
  const uint64_t most = sizeLimited ? fileLimit : ceiling_;
  const Encoder& encoder = *part.encoding->encoder;
  const auto fits = [&](uint64_t frames) { return offset + encoder.MostGrowth(frames) <= most; };
  Fit fit{wanted, sizeLimited ? Fit::Limit::FileSize : Fit::Limit::Ceiling};
  if (fits(wanted)) return fit;
  // The worst case grows with the frames: the largest that fits, by halving.
  uint64_t low = 0, high = wanted;
  while (low < high) {
    const uint64_t middle = low + (high - low + 1) / 2;
    if (fits(middle)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  fit.frames = low;
  return fit;
}

// The present recording ends where the writer stands; one with no audio yet keeps a frame, since its
// end at 0 would mean none.
void RecordingWriter::EndAtFileSizeLimit(std::size_t done) {
  const uint64_t end = consumed_.load(std::memory_order_relaxed) + done - recordingStart_;
  fileLimitEnd_.store(std::max<uint64_t>(end, blockAlign_), std::memory_order_release);
}

void RecordingWriter::FinishEncoding(RecordingPart& part) noexcept {
  if (!part.encoding) return;
  if (!part.encoding->failed) part.encoding->encoder->Finish();
  part.encoding.reset();
  part.sizedTo = part.audio;
}

// The next part of the same recording, " (2)", " (3)" ... beside the first, opened and named at once.
bool RecordingWriter::Continue() {
  const RecordingPart* current = current_.load(std::memory_order_relaxed);
  std::unique_ptr<RecordingPart> part;
  try {
    // A file that never got its header is removed as it closes.
    part = MakeRecordingPart(
        disk_.Create(InsertBeforeExtension(recordingName_, " (" + std::to_string(nextPartNumber_) + ")")),
        current->type, format_, disk_, ++lastContinuationId_);
    part->file->Commit();
  } catch (const std::exception&) {
    if (part) part->file->Discard();
    return false;
  }
  ++nextPartNumber_;
  SwitchTo(part.release());
  return true;
}

// Data and header reach the disk at least every kSyncInterval while there is anything new.
void RecordingWriter::KeepDurable() {
  RecordingPart* part = current_.load(std::memory_order_relaxed);
  if (part == nullptr) return;
  const uint64_t offset = part->offset.load(std::memory_order_relaxed);
  if (part == syncedPart_ && offset == syncedOffset_) return;
  const WriterDisk::Clock::time_point now = disk_.Now();
  if (now - lastSync_ < kSyncInterval) return;
  RefreshSizes(*part);
  disk_.Sync(*part->file);
  lastSync_ = now;
  syncedPart_ = part;
  syncedOffset_ = offset;
}

// The header's sizes for WAV; for the compressed types everything encodable so far goes to the file
// (FLAC's length field with it).
void RecordingWriter::RefreshSizes(RecordingPart& part) noexcept {
  const uint64_t audio = part.audio;
  if (audio == part.sizedTo) return;
  if (part.type == FileType::Wav) {
    if (part.file->WriteSizeFields(audio)) part.sizedTo = audio;
  } else if (part.encoding) {
    if (part.encoding->failed || part.encoding->sink.Waiting()) return;
    if (part.encoding->encoder->Flush()) {
      part.sizedTo = audio;
    } else {
      part.encoding->failed = true;
    }
  } else {
    part.sizedTo = audio;
  }
}

void RecordingWriter::SwitchTo(RecordingPart* next) {
  RecordingPart* previous = current_.load(std::memory_order_relaxed);
  if (previous != nullptr) {
    // The part left behind is on the disk before the next one begins.
    RefreshSizes(*previous);
    if (next->carriesOffset) {
      next->offset.store(previous->offset.load(std::memory_order_relaxed));
      next->audio = previous->audio;
      next->sizedTo = previous->sizedTo;
      next->encoding = std::move(previous->encoding);
      if (next->encoding) next->encoding->sink.MoveTo(*next);
    } else {
      FinishEncoding(*previous);
      earlierPartsBytes_.fetch_add(previous->offset.load(std::memory_order_relaxed),
                                   std::memory_order_release);
    }
    disk_.Sync(*previous->file);
    Finish(previous);
  }
  if (next->startsRecording) {
    recordingStart_ = consumed_.load(std::memory_order_relaxed);
    fileLimitEnd_.store(0, std::memory_order_release);
    earlierPartsBytes_.store(0, std::memory_order_release);
    recordingName_ = next->file->FullPath();
    nextPartNumber_ = 2;
  }
  next->used = true;
  syncedPart_ = next;
  syncedOffset_ = next->offset.load(std::memory_order_relaxed);
  current_.store(next, std::memory_order_release);
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
  Wake();
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

}  // namespace orvimo
