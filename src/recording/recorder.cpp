#include "recording/recorder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/date_time_formatter.h"
#include "recording/file_name_template.h"
#include "recording/wave_header.h"
#include "services/status_texts.h"

namespace orvimo {

namespace {

constexpr int64_t kBytesPerMegabyte = 1048576;

}  // namespace

std::string LocalTimeStamp() {
  // Fixed separators, whatever the locale: a log is read by people and scripts alike.
  return DateTimeFormatter(Now(), FormatSettings{}).Format("yyyy'-'mm'-'dd hh':'nn':'ss");
}

void LogFault(const std::string& message) {
  std::fprintf(stderr, "%s %s\n", LocalTimeStamp().c_str(), message.c_str());
  std::fflush(stderr);
}

Recorder::Recorder(capture::AudioLibrary& audio, Clock& clock, FreeSpace& freeSpace, RecorderEvents& events,
                   uint64_t ceiling, WriterDisk* disk)
    : audio_(audio), clock_(clock), freeSpace_(freeSpace), events_(events), writer_(ceiling, disk) {}

Recorder::~Recorder() = default;

void Recorder::Report(const std::string& message) {
  LogFault(message);
  events_.Fault(message);
}

std::string Recorder::NextFileName(const std::string& nameTemplate, const FormatSettings& settings) {
  ++state_.FileCounter;
  std::string name = ParseFileNameTemplate(
      nameTemplate, state_.FileCounter, [this] { return clock_.Now(); }, settings);
  std::erase(name, '"');
  return name;
}

namespace {

// A file never committed is removed as it closes: a part that could not begin leaves nothing behind.
std::unique_ptr<RecordingPart> NewPart(const std::string& fileName, FileType type, const SampleFormat& format,
                                       WriterDisk& disk, uint64_t id) {
  return MakeRecordingPart(OutputFile::Create(fileName), type, format, disk, id);
}

}  // namespace

bool Recorder::Start(const SampleFormat& format, const std::string& fileName, FileType type) {
  auto part = NewPart(fileName, type, format, writer_.Disk(), ++lastPartId_);
  const uint64_t id = part->id;
  audio_.ChannelStop(state_.CaptureChannel);
  state_.Format = format;
  type_ = type;
  // A new channel counts from zero.
  channelDropoutsAtStart_ = {};
  dropouts_ = {};
  // Cleared before the capture starts, so no buffer of the new recording is dropped.
  SetPaused(false);
  recordingStartsAt_ = 0;
  writer_.Begin(std::move(part), format);
  ApplyLimit();
  const uint32_t flags = format.bits == 8 ? capture::kRecord8Bits : 0;
  state_.CaptureChannel =
      audio_.RecordStart(format.rate, format.channels, flags, RecordingWriter::Callback, &writer_);
  if (state_.CaptureChannel == 0) {
    lastError_ = capture::CaptureErrorMessage(audio_.ErrorGetCode());
    for (auto& unused : writer_.End()) {
      if (unused) unused->file->Discard();
    }
    return false;
  }
  // The new file takes its name only now: a start that failed left any file of that name as it was.
  try {
    writer_.Current()->file->Commit();
  } catch (...) {
    audio_.ChannelStop(state_.CaptureChannel);
    state_.CaptureChannel = 0;
    for (auto& unused : writer_.End()) {
      if (unused) unused->file->Discard();
    }
    throw;
  }
  recordingName_ = writer_.Current()->file->FullPath();
  knownCurrentId_ = id;
  state_.Recording = true;
  return true;
}

void Recorder::StartNext(const std::string& fileName) {
  auto part = NewPart(fileName, type_, state_.Format, writer_.Disk(), ++lastPartId_);
  part->startsRecording = true;
  // At the limit the writer holds at; otherwise the audio captured until now stays with this recording.
  const int64_t limit = ActiveLimit();
  const uint64_t captured = writer_.Accepted();
  part->startsAt = limit > 0 && captured >= recordingStartsAt_ + static_cast<uint64_t>(limit)
                       ? recordingStartsAt_ + static_cast<uint64_t>(limit)
                       : captured;
  const uint64_t startsAt = part->startsAt;
  const std::string fullPath = part->file->FullPath();
  if (!writer_.HandNext(part)) {
    part->file->Discard();
    throw std::runtime_error("Cannot start \"" + fullPath + "\": the previous file is still being switched.");
  }
  // The recording that ends here is told as a stop would; the next one counts from now on.
  ReadDropouts();
  LogDropouts(recordingName_);
  channelDropoutsAtStart_.count += dropouts_.count;
  channelDropoutsAtStart_.bytes_lost += dropouts_.bytes_lost;
  dropouts_ = {};
  recordingName_ = fullPath;
  recordingStartsAt_ = startsAt;
  SetPaused(false);
}

void Recorder::Stop() {
  if (!state_.Recording) return;
  state_.Recording = false;
  // The recording keeps its end: what the sound server still holds of it comes first.
  audio_.ChannelFlush(state_.CaptureChannel);
  ReadDropouts();  // a stopped channel has none to tell any more
  audio_.ChannelStop(state_.CaptureChannel);
  // The capture has stopped: once the writer has written the backlog, every part is the GUI thread's.
  // All are completed, then the first error is reported.
  std::vector<std::unique_ptr<RecordingPart>> parts = writer_.End();
  ReportGivenUp();
  LogDropouts(recordingName_);
  std::exception_ptr firstError;
  RecordingPart* replaced = nullptr;
  for (auto& part : parts) {
    if (part && part->id == replacedId_) replaced = part.get();
  }
  for (auto& part : parts) {
    if (!part) continue;
    try {
      if (part.get() == replaced) {
        // Its name belongs to the replacement now, which gets the rest of its audio.
        if (replacement_ != nullptr) TakeReplacedTail(*part);
      } else if (part->used) {
        CompletePart(*part);
      } else if (part->carriesOffset && replaced != nullptr) {
        // A replacement the writer never took: the replaced file's audio ends in it all the same.
        // The writer finished a compressed stream in the replaced file, lengths at its start included.
        part->file->Commit();
        const uint64_t from = IsCompressed(replaced->type) ? 0 : copiedUpTo_;
        replaced->file->CopyTo(*part->file, from, replaced->offset.load());
        part->type = replaced->type;
        part->audio = replaced->audio;
        part->offset.store(replaced->offset.load());
        CompletePart(*part);
      } else {
        part->file->Discard();
      }
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  replacement_ = nullptr;
  replacedId_ = 0;
  if (firstError) std::rethrow_exception(firstError);
}

void Recorder::SetPaused(bool paused) {
  state_.Paused = paused;
  // A resumed recording tries to write again, whatever stopped it before.
  if (!paused) writer_.ClearError();
  writer_.SetPaused(paused);
}

void Recorder::StartMonitor() {
  audio_.ChannelStop(state_.CaptureChannel);
  state_.CaptureChannel =
      audio_.RecordStart(kMonitorFormat.rate, kMonitorFormat.channels, 0, MonitorCallback, &state_);
}

// The audio captured for the present recording, written or still on its way: past its limit there is
// none, the writer ends the recording there.
int64_t Recorder::RecordedBytes() const {
  const uint64_t captured = writer_.Accepted();
  const int64_t bytes =
      captured > recordingStartsAt_ ? static_cast<int64_t>(captured - recordingStartsAt_) : 0;
  const int64_t limit = ActiveLimit();
  return limit > 0 ? std::min(bytes, limit) : bytes;
}

int64_t Recorder::FileBytes() const {
  const RecordingPart* part = writer_.Current();
  return part ? static_cast<int64_t>(part->offset.load()) : 0;
}

// A compressed file's rate is what the recording has written so far, all its parts together.
int64_t Recorder::FileBytesPerSecond() const {
  const uint64_t frames =
      static_cast<uint64_t>(RecordedBytes()) / std::max<uint32_t>(state_.Format.BlockAlign(), 1);
  return ExpectedBytesPerSecond(type_, state_.Format, frames, writer_.RecordingFileBytes());
}

void Recorder::ForgetRecordedBytes() { recordingStartsAt_ = writer_.Accepted(); }

int64_t Recorder::FreeBytes(const std::string& nameTemplate) {
  return freeSpace_.BytesFree(FreeSpaceQueryPath(nameTemplate, state_.DiskDrive));
}

std::string Recorder::CurrentFileName() const {
  const RecordingPart* part = writer_.Current();
  return part ? part->file->FullPath() : recordingName_;
}

bool Recorder::GuardDiskSpace(int64_t freeBytes) {
  if (freeBytes < 0 || freeBytes >= kDiskReserveBytes || !state_.Recording) return false;
  SetPaused(true);
  LogFault("Recording was paused due to insufficient disk space. (" + std::to_string(freeBytes / 1024) +
           " KBytes left.)");
  return true;
}

TickOutcome Recorder::Tick() {
  limitsFromStart_ = false;
  if (!state_.Recording) return TickOutcome::Running;
  ReadDropouts();
  // Each step on its own: one that fails is reported and the others still run.
  const auto step = [this](auto&& action) {
    try {
      action();
    } catch (const std::exception& error) {
      Report(error.what());
    }
  };
  step([this] { CompleteFinishedParts(); });
  step([this] { NoticeCurrentPart(); });
  if (const int error = writer_.Error(); error != 0 && !state_.Paused) {
    SetPaused(true);
    writer_.SetPaused(true);
    if (const RecordingPart* part = writer_.Current(); part != nullptr && part->type == FileType::Wav) {
      // The header describes what really reached the disk.
      part->file->WriteSizeFields(part->offset.load() - kWaveHeaderSize);
    }
    const std::string message = "Cannot write to file \"" + CurrentFileName() + "\": " + std::strerror(error);
    LogFault(message);
    events_.WriteFailed(message);
    return TickOutcome::Paused;
  }
  if (!audio_.ChannelIsActive(state_.CaptureChannel)) {
    LogFault(kDeviceLost);
    return TickOutcome::DeviceLost;
  }
  step([this] { RewriteRemovedFile(); });
  return TickOutcome::Running;
}

void Recorder::CompleteFinishedParts() {
  std::exception_ptr firstError;
  for (auto& part : writer_.TakeFinished()) {
    try {
      if (part->id == replacedId_) {
        TakeReplacedTail(*part);
      } else {
        CompletePart(*part);
      }
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  if (firstError) std::rethrow_exception(firstError);
}

void Recorder::CompletePart(RecordingPart& part) {
  part.file->Commit();
  // The writer syncs a part with its sizes as it leaves it: the window waits for no disk again, unless
  // half a frame of a failed write is to be cut off or the sizes could not be written.
  const uint64_t end = part.offset.load();
  if (part.type != FileType::Wav) {
    part.file->CutAt(end);
    return;
  }
  if (part.sizedTo == end - kWaveHeaderSize && part.file->Size() == end) return;
  part.file->FinishAt(end);
}

void Recorder::NoticeCurrentPart() {
  const RecordingPart* part = writer_.Current();
  if (part == nullptr || part->id == knownCurrentId_) return;
  knownCurrentId_ = part->id;
  part->file->Commit();
  if (!part->startsRecording) events_.FileChanged(part->file->FullPath());
}

// The file or its folder was removed while recording: the audio is still in the open file, so it is
// written again at its path and the recording goes on there. The bytes up to now are copied first,
// the writer switches with its next buffer and carries on at the same offset, and the rest of the old
// file follows once the writer has left it.
void Recorder::RewriteRemovedFile() {
  const RecordingPart* part = writer_.Current();
  if (part == nullptr || replacement_ != nullptr || writer_.NextWaiting() || part->file->StillAtItsPath()) {
    return;
  }
  const std::string path = part->file->FullPath();
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  auto next = std::make_unique<RecordingPart>();
  next->id = ++lastPartId_;
  next->file = OutputFile::Create(path);
  next->carriesOffset = true;
  next->type = part->type;
  const uint64_t copied = part->offset.load();
  part->file->CopyTo(*next->file, 0, copied);
  replacedId_ = part->id;
  replacement_ = next.get();
  copiedUpTo_ = copied;
  writer_.HandNext(next);
  Report("The file \"" + path + "\" was removed; it is written again from what was recorded.");
}

void Recorder::TakeReplacedTail(RecordingPart& replaced) {
  const uint64_t end = replaced.offset.load();
  replaced.file->CopyTo(*replacement_->file, copiedUpTo_, end);
  replacement_ = nullptr;
  replacedId_ = 0;
}

// What the stop could not write in time is lost as a dropout is, and the user learns how much.
void Recorder::ReportGivenUp() {
  const uint64_t givenUp = writer_.GivenUp();
  if (givenUp == 0) return;
  ++dropouts_.count;
  dropouts_.bytes_lost += givenUp;
  Report("The disk was too slow: the last " + LostAudioText(givenUp, state_.Format.BytesPerSecond()) +
         " captured for \"" + recordingName_ + "\" could not be written before the stop and were given up.");
}

void Recorder::ReadDropouts() {
  // The sound server's losses and the audio the writer's backlog had no room for.
  capture::DropoutCount channel = audio_.ChannelGetDropouts(state_.CaptureChannel);
  const capture::DropoutCount overflows = writer_.Overflows();
  channel.count += overflows.count;
  channel.bytes_lost += overflows.bytes_lost;
  // A channel that counts less than before is not the one the recording began on: it counts anew.
  if (channel.count < channelDropoutsAtStart_.count) channelDropoutsAtStart_ = {};
  dropouts_ = {channel.count - channelDropoutsAtStart_.count,
               channel.bytes_lost >= channelDropoutsAtStart_.bytes_lost
                   ? channel.bytes_lost - channelDropoutsAtStart_.bytes_lost
                   : 0};
}

std::string Recorder::DropoutsText() const {
  return DropoutText(dropouts_.count, dropouts_.bytes_lost, state_.Format.BytesPerSecond());
}

void Recorder::LogDropouts(const std::string& fileName) const {
  if (dropouts_.count == 0) return;
  LogFault("Recording \"" + fileName + "\": " + DropoutsText());
}

bool Recorder::LimitReached(bool stopChecked) {
  if (stopChecked != limitEnabled_) {
    limitEnabled_ = stopChecked;
    ApplyLimit();
  }
  if (!stopChecked || !state_.Recording) return false;
  if (const int64_t limit = ActiveLimit(); limit > 0) return RecordedBytes() >= limit;
  if (state_.StopTime > 0) return clock_.Now() > state_.StopTime;
  return false;
}

// The size limit first, as the stop test always took it; whole frames, as the writer cuts them. A
// compressed file's size limit is known as audio only once the writer has met it.
int64_t Recorder::ActiveLimit() const {
  const bool compressedSize = state_.MaxBytes > 0 && IsCompressed(type_);
  const int64_t limit = compressedSize        ? static_cast<int64_t>(writer_.FileSizeLimitEnd())
                        : state_.MaxBytes > 0 ? state_.MaxBytes
                                              : timeLimitBytes_;
  const int64_t frame = std::max<int64_t>(state_.Format.BlockAlign(), 1);
  return limitEnabled_ && limit > 0 ? limit - limit % frame : 0;
}

void Recorder::ApplyLimit() {
  const bool compressedSize = limitEnabled_ && state_.MaxBytes > 0 && IsCompressed(type_);
  writer_.SetFileSizeLimit(compressedSize ? static_cast<uint64_t>(state_.MaxBytes) : 0);
  writer_.SetRecordingLimit(compressedSize ? 0 : static_cast<uint64_t>(ActiveLimit()));
}

void Recorder::SetStopAfter(int unitIndex, int count) {
  const TDateTime now = clock_.Now();
  // The audio of that many seconds, counted from the recording's start or from what it holds now.
  const auto audioFor = [this, count](int64_t secondsPerUnit) {
    const int64_t from = limitsFromStart_ || !state_.Recording ? 0 : RecordedBytes();
    return from + int64_t{count} * secondsPerUnit * state_.Format.BytesPerSecond();
  };
  switch (unitIndex) {
    case 0:  // megabytes, formed in 32 bits as the limit always was
      state_.MaxBytes =
          static_cast<int32_t>(static_cast<uint32_t>(count) * static_cast<uint32_t>(kBytesPerMegabyte));
      break;
    case 1:  // minutes from now
      state_.StopTime = (now * 1440 + count) / 1440;
      timeLimitBytes_ = count > 0 ? audioFor(60) : 0;
      break;
    case 2:  // hours from now
      state_.StopTime = (now * 24 + count) / 24;
      timeLimitBytes_ = count > 0 ? audioFor(3600) : 0;
      break;
    default:
      break;
  }
  ApplyLimit();
}

void Recorder::SetStopTime(TDateTime stopTime) {
  state_.StopTime = stopTime;
  timeLimitBytes_ = 0;
  ApplyLimit();
}

void Recorder::ResetLimits() {
  state_.MaxBytes = 0;
  state_.StopTime = 0;
  timeLimitBytes_ = 0;
  limitsFromStart_ = true;
  ApplyLimit();
}

}  // namespace orvimo
