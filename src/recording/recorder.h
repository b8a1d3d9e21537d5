#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/sample_format.h"
#include "capture/audio_library.h"
#include "recording/recording_state.h"
#include "recording/recording_writer.h"
#include "services/clock.h"
#include "services/free_space.h"

namespace orvimo {

// What the recorder tells its caller; it knows no widget.
class RecorderEvents {
 public:
  virtual ~RecorderEvents() = default;
  // A fault the user must learn of (a write that failed, a file removed, the disk guard, a lost
  // device): shown in the status line. The recorder has printed it on stderr already.
  virtual void Fault(const std::string& message) = 0;
  // The file now being written changed: a new recording, a continuation part, a file written again.
  virtual void FileChanged(const std::string& fileName) = 0;
  // The disk refused the audio and the recording paused: the whole text, with the file and the reason.
  virtual void WriteFailed(const std::string& message) = 0;
};

// What one status tick found, for the window to show.
enum class TickOutcome {
  Running,     // go on: blink, stop test
  Paused,      // a failed write paused the recording
  DeviceLost,  // the capture device went away; the caller stops the recording
};

// One recorder: the recording state, the output files, the capture channel, the stop limits and the
// status figures. Everything runs on the GUI thread except RecordingWriter's capture-thread and
// writer-thread parts.
class Recorder {
 public:
  // disk: how the writer thread reaches the disk, null for the system's (tests stall or fail it).
  Recorder(capture::AudioLibrary& audio, Clock& clock, FreeSpace& freeSpace, RecorderEvents& events,
           uint64_t ceiling = kWaveDataCeiling, WriterDisk* disk = nullptr);
  ~Recorder();

  RecordingState& State() { return state_; }
  const RecordingState& State() const { return state_; }
  RecordingWriter& Writer() { return writer_; }

  // The counter advanced, the template expanded (double quotes removed) into the next file's name.
  std::string NextFileName(const std::string& nameTemplate, const FormatSettings& settings);
  // Creates the file beside any of that name, stops the monitor channel, starts the capture and only
  // then gives the file its name. Throws FileCreateError (nothing started); false when the capture
  // library refused, with the mapped message in LastError(), and any earlier file of that name intact.
  bool Start(const SampleFormat& format, const std::string& fileName, FileType type = FileType::Wav);
  const std::string& LastError() const { return lastError_; }
  // The next recording of a chain, without stopping the capture: the writer switches to the new file
  // exactly where the present recording reached its limit, or else with the audio captured from now
  // on. Throws FileCreateError, leaving the running recording as it was.
  void StartNext(const std::string& fileName);
  // Stops the capture, writes what was captured (telling what could not be written in time), then
  // patches and closes every file. Throws when a size cannot be written.
  void Stop();
  void SetPaused(bool paused);
  void StartMonitor();

  // Status figures.
  int64_t RecordedBytes() const;
  // After a stopped recording has been shown, the count starts again from zero.
  void ForgetRecordedBytes();
  FileType Type() const { return type_; }
  // The length of the file being written; 0 when none is.
  int64_t FileBytes() const;
  // What a second of audio adds to it, for the free-time estimate.
  int64_t FileBytesPerSecond() const;
  int64_t FreeBytes(const std::string& nameTemplate);
  std::string CurrentFileName() const;
  // The dropouts of the present recording as last read (at each tick and at the stop), or of the last
  // one until the next starts. Each file of a chain is a recording of its own and counts from zero.
  capture::DropoutCount Dropouts() const { return dropouts_; }
  // "3 dropouts (about 40 ms lost)" for them; empty for none.
  std::string DropoutsText() const;

  // The disk guard: true when it paused the recording (free bytes below the reserve).
  bool GuardDiskSpace(int64_t freeBytes);
  // The recording's housekeeping at each tick: finished parts completed, write errors and a removed
  // file noticed. Errors are reported, never thrown.
  TickOutcome Tick();
  // The stop test: with stopChecked, the size or minutes limit (the audio captured reached it: the
  // writer ends the recording at exactly that byte), or else the stop moment (strictly later).
  bool LimitReached(bool stopChecked);

  // Limits from the scheduler controls. A minutes or hours limit counts that much audio from the start
  // of a recording (right after ResetLimits) or else from now, and sets the stop moment as well.
  void SetStopAfter(int unitIndex, int count);
  // The stop at a date and time: the clock decides, and a minutes limit set before no longer counts.
  void SetStopTime(TDateTime stopTime);
  void ResetLimits();

  // Closing: from here on no scheduled start and no when-finished action runs.
  void BeginClosing() { closing_ = true; }
  bool Closing() const { return closing_; }

 private:
  void Report(const std::string& message);
  void CompleteFinishedParts();
  void CompletePart(RecordingPart& part);
  void NoticeCurrentPart();
  void RewriteRemovedFile();
  void TakeReplacedTail(RecordingPart& replaced);
  void ReportGivenUp();
  int64_t ActiveLimit() const;
  void ApplyLimit();
  void ReadDropouts();
  void LogDropouts(const std::string& fileName) const;

  capture::AudioLibrary& audio_;
  Clock& clock_;
  FreeSpace& freeSpace_;
  RecorderEvents& events_;
  RecordingState state_;
  RecordingWriter writer_;
  std::string lastError_;
  FileType type_ = FileType::Wav;  // of the recording that runs or ran last
  std::string recordingName_;      // the first part's name
  uint64_t lastPartId_ = 0;
  // Where the present recording begins in the writer's captured stream.
  uint64_t recordingStartsAt_ = 0;
  // A minutes or hours limit as bytes of audio from the recording's start; 0 for none.
  int64_t timeLimitBytes_ = 0;
  bool limitsFromStart_ = false;  // between ResetLimits and the next tick
  bool limitEnabled_ = false;     // "Stop:" as the last stop test saw it
  uint64_t knownCurrentId_ = 0;
  // A file written again after its name was removed: the part it replaces, the new one, and how much
  // of the old one the new one already holds.
  uint64_t replacedId_ = 0;
  RecordingPart* replacement_ = nullptr;
  uint64_t copiedUpTo_ = 0;
  bool closing_ = false;
  // The capture channel's count when the present recording began (a chain keeps its channel).
  capture::DropoutCount channelDropoutsAtStart_;
  capture::DropoutCount dropouts_;
};

// Prints a fault with the local time on stderr, so that a log of an unattended run shows it.
void LogFault(const std::string& message);
// "2026-12-06 22:09:38": the local time as the logs show it.
std::string LocalTimeStamp();

}  // namespace orvimo
