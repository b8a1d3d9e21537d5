#include "capture/pulse_audio_library.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "capture/dropout_clock.h"

namespace orvimo::capture {

namespace {

constexpr const char* kApplicationName = "Orvimo";
constexpr const char* kStreamName = "Orvimo capture";
// Holes in the stream are handed over as silence in pieces of this size: whole frames of any format.
constexpr size_t kSilenceBytes = 16384;

// Holds the threaded main loop's lock for one scope: the loop's thread runs no callback meanwhile.
struct MainloopLock {
  explicit MainloopLock(pa_threaded_mainloop* mainloop) : mainloop(mainloop) {
    pa_threaded_mainloop_lock(mainloop);
  }
  ~MainloopLock() { pa_threaded_mainloop_unlock(mainloop); }
  MainloopLock(const MainloopLock&) = delete;
  MainloopLock& operator=(const MainloopLock&) = delete;

  pa_threaded_mainloop* const mainloop;
};

// 1/per_second of a second of audio, in whole frames.
uint32_t BytesPerSlice(const SampleFormat& format, uint32_t per_second) {
  const uint32_t frames = std::max<uint32_t>(1, (format.rate + per_second / 2) / per_second);
  return frames * format.BlockAlign();
}

// How the server is asked to deliver, and how much is gathered before it is handed over.
struct DeliveryPace {
  uint32_t fragment_bytes;
  size_t gather_bytes;
};

// For the level meter: 200 ms at a time, but never more than 24 KiB. Every delivery wakes the capture
// thread and, through the latency asked for, the source's own thread (and the sink it monitors), so this
// sets most of what a running recording costs: 40 ms deliveries kept the sound server and the capture
// thread awake 50 times a second. The meter still moves every 20 ms: the channel keeps a peak per 20 ms
// of each delivery and the meter replays them in order, one delivery behind. The byte bound keeps a
// delivery under a quarter of the program's disk reserve at any rate, so the disk guard, which looks at
// the disk between deliveries, keeps its margin.
//
// Relaxed, while nobody looks at the meter: a second at a time, at any rate (at most
// kMaxRelaxedBytes, which bounds the staging buffer for absurd rates). The file grows by a whole
// delivery at once; the program brings back the meter's pace itself while a nearly full disk is
// watched, so a delivery never jumps over its guard. The latency asked for follows the fragment, so
// the source (and the sink it monitors) can sleep that long too.
//
// Half a fragment is gathered before a hand-over: a delivery arrives in pieces, and one hand-over per
// delivery is what the program's file and the meter's slices need.
constexpr uint32_t kMeterDeliveriesPerSecond = 5;
constexpr uint32_t kMaxMeterBytes = 24 * 1024;
constexpr uint32_t kMaxRelaxedBytes = 1 << 20;
// A flush before a stop: deliveries of 20 ms, and a wait of the stream's latency (at most two seconds,
// the relaxed pace's) and a little more for the last delivery's way to the program.
constexpr uint32_t kFlushDeliveriesPerSecond = 50;
constexpr auto kLongestFlush = std::chrono::milliseconds(2000);
constexpr auto kFlushMargin = std::chrono::milliseconds(60);

DeliveryPace PaceFor(const SampleFormat& format, bool relaxed) {
  const uint32_t frame = format.BlockAlign();
  const uint32_t fragment =
      relaxed ? std::min(BytesPerSlice(format, 1), kMaxRelaxedBytes / frame * frame)
              : std::min(BytesPerSlice(format, kMeterDeliveriesPerSecond), kMaxMeterBytes / frame * frame);
  return DeliveryPace{std::max(frame, fragment), std::max(frame, fragment) / 2};
}

// A stretch of audio in whole frames, below the -1 that asks for the server's default.
uint32_t BytesFor(const SampleFormat& format, std::chrono::milliseconds duration) {
  const uint64_t frames = uint64_t{format.rate} * static_cast<uint64_t>(duration.count()) / 1000;
  return static_cast<uint32_t>(std::min<uint64_t>(frames * format.BlockAlign(), UINT32_MAX - 1));
}

pa_sample_spec SampleSpec(const SampleFormat& format) {
  return pa_sample_spec{format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, format.rate,
                        static_cast<uint8_t>(format.channels)};
}

void SignalMainloop(pa_threaded_mainloop* mainloop) { pa_threaded_mainloop_signal(mainloop, 0); }

void OnContextState(pa_context* /*context*/, void* userdata) {
  SignalMainloop(static_cast<pa_threaded_mainloop*>(userdata));
}

void OnOperationState(pa_operation* /*operation*/, void* userdata) {
  SignalMainloop(static_cast<pa_threaded_mainloop*>(userdata));
}

struct Deadline {
  pa_threaded_mainloop* mainloop;
  bool expired = false;
};

void OnDeadline(pa_mainloop_api* /*api*/, pa_time_event* /*event*/, const struct timeval* /*time*/,
                void* userdata) {
  auto* deadline = static_cast<Deadline*>(userdata);
  deadline->expired = true;
  SignalMainloop(deadline->mainloop);
}

// With the loop's lock held: lets the loop run until done() holds or the timeout has passed.
template <typename Done>
bool WaitOnLoop(pa_threaded_mainloop* mainloop, Done done, std::chrono::milliseconds timeout) {
  Deadline deadline{mainloop};
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop);
  struct timeval when;
  pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(std::chrono::microseconds(timeout).count()));
  pa_time_event* event = api->time_new(api, &when, OnDeadline, &deadline);
  while (!done() && !deadline.expired) {
    pa_threaded_mainloop_wait(mainloop);
  }
  api->time_free(event);
  return done();
}

// With the loop's lock held: waits for the server's answer to an operation, at most the timeout.
void WaitForOperation(pa_threaded_mainloop* mainloop, pa_operation* operation,
                      std::chrono::milliseconds timeout) {
  if (operation == nullptr) return;
  pa_operation_set_state_callback(operation, OnOperationState, mainloop);
  if (!WaitOnLoop(
          mainloop, [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; },
          timeout)) {
    pa_operation_cancel(operation);
  }
  pa_operation_unref(operation);
}

bool IsFinal(pa_context_state_t state) {
  return state == PA_CONTEXT_READY || state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

bool IsFinal(pa_stream_state_t state) {
  return state == PA_STREAM_READY || state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

// The reason a stream could not be opened, as the program's error table words it.
CaptureErrorCode StreamError(int pulse_error) {
  switch (pulse_error) {
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
      return CaptureErrorCode::Format;
    default:
      return CaptureErrorCode::NotAvailable;
  }
}

}  // namespace

// One record stream and the channel it feeds. Its state is made before the capture starts, so the
// loop's thread never allocates.
class PulseStream : public CaptureStream {
 public:
  PulseStream(const SampleFormat& format, RecordChannel& channel, pa_threaded_mainloop* mainloop)
      : mainloop(mainloop),
        format(format),
        silence(kSilenceBytes, format.bits == 8 ? 0x80 : 0x00),
        staging(std::max<size_t>(2 * PaceFor(format, true).gather_bytes, kSilenceBytes)),
        pace(format.BytesPerSecond()),
        channel(channel) {}

  // Ends the read callback's loop first: a program callback slower than real time would otherwise
  // keep the loop's thread busy and its lock taken for as long as data keeps coming.
  ~PulseStream() override {
    alive.store(false, std::memory_order_release);
    if (stream != nullptr) {
      MainloopLock lock(mainloop);
      CloseLocked();
    }
  }

  // A dead server fails every stream of its context, so the stream's state covers both.
  bool IsAlive() const override { return alive.load(std::memory_order_acquire); }

  void SetLowPower(bool relaxed) override {
    MainloopLock lock(mainloop);
    SetPaceLocked(PaceFor(format, relaxed));
  }

  void Flush() override;

  // The server takes the new fragment size from its next delivery on; what is queued meanwhile comes
  // as before, so no byte is lost or repeated.
  void SetPaceLocked(const DeliveryPace& new_pace);

  // Once the callbacks are cleared under the loop's lock, none of them can run again.
  void CloseLocked();

  pa_threaded_mainloop* const mainloop;
  pa_stream* stream = nullptr;
  const SampleFormat format;
  const std::vector<uint8_t> silence;
  // A monitor source sends chunks of a millisecond or so, whatever fragment size is asked for. They
  // are gathered into buffers of at least half a fragment, so the program writes its file a few times a
  // second instead of a thousand. Changed only under the loop's lock; the
  // staging buffer is made for the relaxed pace, so the loop's thread never allocates.
  size_t gather_bytes = 0;
  std::vector<uint8_t> staging;
  size_t staged = 0;
  // What was received, holes included, against the clock; on the loop's thread only.
  DropoutClock pace;
  uint64_t received = 0;
  // Ready and not failed; written on the loop's thread, read on the GUI thread.
  std::atomic<bool> alive{false};
  RecordChannel& channel;
};

void PulseStream::CloseLocked() {
  alive.store(false, std::memory_order_release);
  if (stream == nullptr) {
    return;
  }
  pa_stream_set_read_callback(stream, nullptr, nullptr);
  pa_stream_set_state_callback(stream, nullptr, nullptr);
  const pa_stream_state_t state = pa_stream_get_state(stream);
  if (state == PA_STREAM_READY || state == PA_STREAM_CREATING) {
    pa_stream_disconnect(stream);
  }
  pa_stream_unref(stream);
  stream = nullptr;
}

void PulseStream::SetPaceLocked(const DeliveryPace& new_pace) {
  gather_bytes = new_pace.gather_bytes;
  pace.Restart();
  if (stream == nullptr || pa_stream_get_state(stream) != PA_STREAM_READY) {
    return;
  }
  pa_buffer_attr buffer = *pa_stream_get_buffer_attr(stream);
  buffer.fragsize = new_pace.fragment_bytes;
  if (pa_operation* operation = pa_stream_set_buffer_attr(stream, &buffer, nullptr, nullptr)) {
    pa_operation_unref(operation);  // nothing waits for the answer: the old pace is as good meanwhile
  }
}

namespace {

void OnStreamState(pa_stream* stream, void* userdata) {
  auto* open = static_cast<PulseStream*>(userdata);
  open->alive.store(pa_stream_get_state(stream) == PA_STREAM_READY, std::memory_order_release);
  SignalMainloop(open->mainloop);
}

void HandOverSilence(PulseStream& open, size_t length) {
  while (length > 0) {
    const size_t piece = std::min(length, open.silence.size());
    open.channel.HandOver(open.silence.data(), static_cast<uint32_t>(piece));
    length -= piece;
  }
}

void HandOverStaged(PulseStream& open) {
  if (open.staged > 0) {
    open.channel.HandOver(open.staging.data(), static_cast<uint32_t>(open.staged));
    open.staged = 0;
  }
}

void Stage(PulseStream& open, const uint8_t* data, size_t length) {
  if (length > open.staging.size() - open.staged) {
    HandOverStaged(open);
  }
  if (length >= open.staging.size()) {
    open.channel.HandOver(data, static_cast<uint32_t>(length));
    return;
  }
  std::memcpy(open.staging.data() + open.staged, data, length);
  open.staged += length;
}

// Takes the `readable` bytes queued, every chunk, not one chunk per wake-up: a source that sends many
// small chunks would otherwise fall behind real time until the server drops audio. Nothing arrives
// while the callback runs, so the queue is empty once they are taken. Returns false when the stream
// failed.
bool DrainQueue(pa_stream* stream, PulseStream& open, size_t readable) {
  size_t taken = 0;
  while (taken < readable && open.alive.load(std::memory_order_acquire)) {
    const void* data = nullptr;
    size_t length = 0;
    if (pa_stream_peek(stream, &data, &length) < 0) {
      return false;
    }
    if (length == 0) {
      return true;  // the queue is empty
    }
    if (data != nullptr) {
      Stage(open, static_cast<const uint8_t*>(data), length);
    } else {
      HandOverStaged(open);
      open.channel.ReportDropout(length);  // a hole: the server lost or skipped that stretch
      HandOverSilence(open, length);
    }
    pa_stream_drop(stream);
    taken += length;
  }
  return true;
}

// On the loop's thread, with the length of the whole queue. Waits until half a fragment is queued, then
// hands all of it over; nothing stays staged between two calls. Every call into libpulse costs a
// system call (its fork check), so the length given is used rather than asked for again, and the pace
// is checked against the steady clock, which costs none.
void OnStreamReadable(pa_stream* stream, size_t readable, void* userdata) {
  auto* open = static_cast<PulseStream*>(userdata);
  if (readable < open->gather_bytes) {
    return;
  }
  open->received += readable;
  if (const uint64_t lost = open->pace.Observe(open->received, DropoutClock::Clock::now())) {
    open->channel.ReportDropout(lost);
  }
  const bool ok = DrainQueue(stream, *open, readable);
  HandOverStaged(*open);
  if (!ok) {
    open->alive.store(false, std::memory_order_release);
  }
}

struct SourceList {
  std::vector<std::pair<std::string, std::string>> sources;  // name, description
  bool complete = false;
};

void OnSourceInfo(pa_context* /*context*/, const pa_source_info* info, int eol, void* userdata) {
  auto* list = static_cast<SourceList*>(userdata);
  if (eol != 0) {
    list->complete = eol > 0;
    return;
  }
  list->sources.emplace_back(info->name != nullptr ? info->name : "",
                             info->description != nullptr ? info->description : info->name);
}

struct SinkCount {
  uint32_t count = 0;
  bool complete = false;
};

void OnSinkInfo(pa_context* /*context*/, const pa_sink_info* /*info*/, int eol, void* userdata) {
  auto* sinks = static_cast<SinkCount*>(userdata);
  if (eol != 0) {
    sinks->complete = eol > 0;
  } else {
    ++sinks->count;
  }
}

}  // namespace

// The server holds up to a fragment of audio, and the source up to its latency, before anything is
// delivered; below the gathering size the client's queue waits too. All of it is asked for now: small
// fragments make the server send what it has, and the stream is read for as long as its latency says
// audio captured before now is still on its way.
void PulseStream::Flush() {
  MainloopLock lock(mainloop);
  if (stream == nullptr || !IsAlive()) {
    return;
  }
  gather_bytes = 0;
  pa_buffer_attr buffer = *pa_stream_get_buffer_attr(stream);
  buffer.fragsize = BytesPerSlice(format, kFlushDeliveriesPerSecond);
  WaitForOperation(mainloop, pa_stream_set_buffer_attr(stream, &buffer, nullptr, nullptr),
                   PulseAudioLibrary::kServerTimeout);
  WaitForOperation(mainloop, pa_stream_update_timing_info(stream, nullptr, nullptr),
                   PulseAudioLibrary::kServerTimeout);
  pa_usec_t latency = 0;
  int negative = 0;
  if (!IsAlive() || pa_stream_get_latency(stream, &latency, &negative) != 0 || negative != 0) {
    latency = 0;
  }
  const auto wait =
      std::min(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::microseconds(latency)),
               kLongestFlush) +
      kFlushMargin;
  WaitOnLoop(
      mainloop, [this] { return !IsAlive(); }, wait);
  if (IsAlive()) {
    DrainQueue(stream, *this, pa_stream_readable_size(stream));
    HandOverStaged(*this);
  }
}

// The core closes the streams while the main loop still runs; a probe that never initialised has a
// main loop all the same.
PulseAudioLibrary::~PulseAudioLibrary() {
  Shutdown();
  CloseLibrary();
}

bool PulseAudioLibrary::IsServerReachable(std::chrono::milliseconds timeout) {
  PulseAudioLibrary probe;
  if (!probe.StartMainloop()) {
    return false;
  }
  MainloopLock lock(probe.mainloop_);
  return probe.ConnectLocked(timeout);
}

bool PulseAudioLibrary::StartMainloop() {
  mainloop_ = pa_threaded_mainloop_new();
  return mainloop_ != nullptr && pa_threaded_mainloop_start(mainloop_) >= 0;
}

bool PulseAudioLibrary::ConnectLocked(std::chrono::milliseconds timeout) {
  context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), kApplicationName);
  if (context_ == nullptr) {
    return false;
  }
  pa_context_set_state_callback(context_, OnContextState, mainloop_);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 ||
      !WaitOnLoop(
          mainloop_, [this] { return IsFinal(pa_context_get_state(context_)); }, timeout) ||
      !ContextReadyLocked()) {
    Disconnect();
    return false;
  }
  return true;
}

bool PulseAudioLibrary::ContextReadyLocked() const {
  return context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

// A server that went away (restarted, say) is reached again the next time the program asks for it.
bool PulseAudioLibrary::EnsureConnectedLocked() {
  if (ContextReadyLocked()) {
    return true;
  }
  Disconnect();
  return ConnectLocked(kServerTimeout);
}

void PulseAudioLibrary::Disconnect() {
  if (context_ == nullptr) {
    return;
  }
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

bool PulseAudioLibrary::RefreshSourcesLocked() {
  SourceList list;
  // An operation that times out is cancelled: its callback must not fill a list that is gone.
  WaitForOperation(mainloop_, pa_context_get_source_info_list(context_, OnSourceInfo, &list), kServerTimeout);
  if (!list.complete) {
    return false;
  }
  sources_.clear();
  for (auto& [name, description] : list.sources) {
    sources_.push_back(Source{std::move(name), std::move(description)});
  }
  return true;
}

std::optional<uint32_t> PulseAudioLibrary::CountSinksLocked() {
  SinkCount sinks;
  WaitForOperation(mainloop_, pa_context_get_sink_info_list(context_, OnSinkInfo, &sinks), kServerTimeout);
  return sinks.complete ? std::optional<uint32_t>(sinks.count) : std::nullopt;
}

bool PulseAudioLibrary::OpenLibrary(int output_device) {
  if (!StartMainloop()) {
    CloseLibrary();
    return false;
  }
  bool ready = false;
  {
    MainloopLock lock(mainloop_);
    ready = ConnectLocked(kServerTimeout) && RefreshSourcesLocked();
    // Nothing is played, but a named output device must exist, as the command line promises.
    if (ready && output_device >= 1) {
      const std::optional<uint32_t> sinks = CountSinksLocked();
      ready = sinks && *sinks >= static_cast<uint32_t>(output_device);
    }
  }
  if (!ready) {
    CloseLibrary();
  }
  return ready;
}

void PulseAudioLibrary::CloseLibrary() {
  selected_source_.clear();
  sources_.clear();
  if (mainloop_ == nullptr) {
    return;
  }
  {
    MainloopLock lock(mainloop_);
    Disconnect();
  }
  pa_threaded_mainloop_stop(mainloop_);
  pa_threaded_mainloop_free(mainloop_);
  mainloop_ = nullptr;
}

std::optional<std::string> PulseAudioLibrary::DeviceDescription(int device) {
  if (device == 0) {
    // A failed refresh keeps the last list: its sources may well be back when a channel is opened.
    MainloopLock lock(mainloop_);
    if (EnsureConnectedLocked()) {
      RefreshSourcesLocked();
    }
  }
  if (static_cast<size_t>(device) >= sources_.size()) {
    return std::nullopt;
  }
  return sources_[device].description;
}

// The source is kept by name: a later refresh of the list does not change what is recorded.
bool PulseAudioLibrary::SelectDevice(int device) {
  selected_source_.clear();
  if (device == kDefaultDevice) {
    return true;
  }
  if (static_cast<size_t>(device) >= sources_.size()) {
    return false;
  }
  selected_source_ = sources_[device].name;
  return true;
}

StreamOpening PulseAudioLibrary::OpenStream(int /*device*/, const SampleFormat& format,
                                            RecordChannel& channel) {
  const pa_sample_spec sample_spec = SampleSpec(format);
  if (!pa_sample_spec_valid(&sample_spec)) {
    return StreamOpening{nullptr, static_cast<int>(CaptureErrorCode::Format)};
  }
  MainloopLock lock(mainloop_);
  if (!EnsureConnectedLocked()) {
    return StreamOpening{nullptr, static_cast<int>(CaptureErrorCode::NotAvailable)};
  }
  return OpenStreamLocked(format, channel);
}

StreamOpening PulseAudioLibrary::OpenStreamLocked(const SampleFormat& format, RecordChannel& channel) {
  const pa_sample_spec sample_spec = SampleSpec(format);
  auto open = std::make_unique<PulseStream>(format, channel, mainloop_);
  const DeliveryPace delivery = PaceFor(format, LowPower());
  open->gather_bytes = delivery.gather_bytes;
  // No channel map: the default for one or two channels, which the server mixes the source into.
  open->stream = pa_stream_new(context_, kStreamName, &sample_spec, nullptr);
  if (open->stream == nullptr) {
    return StreamOpening{nullptr, static_cast<int>(StreamError(pa_context_errno(context_)))};
  }
  pa_stream_set_state_callback(open->stream, OnStreamState, open.get());
  pa_stream_set_read_callback(open->stream, OnStreamReadable, open.get());

  pa_buffer_attr buffer;
  buffer.maxlength =
      options_.server_buffer ? BytesFor(format, *options_.server_buffer) : static_cast<uint32_t>(-1);
  buffer.tlength = static_cast<uint32_t>(-1);
  buffer.prebuf = static_cast<uint32_t>(-1);
  buffer.minreq = static_cast<uint32_t>(-1);
  buffer.fragsize = delivery.fragment_bytes;
  // A source the user chose is kept: when it goes away the channel ends rather than record another.
  const bool chosen_source = !selected_source_.empty();
  const auto stream_flags = static_cast<pa_stream_flags_t>(
      PA_STREAM_ADJUST_LATENCY | (chosen_source ? PA_STREAM_DONT_MOVE : PA_STREAM_NOFLAGS));
  const bool connected =
      pa_stream_connect_record(open->stream, chosen_source ? selected_source_.c_str() : nullptr, &buffer,
                               stream_flags) == 0 &&
      WaitOnLoop(
          mainloop_, [&open] { return IsFinal(pa_stream_get_state(open->stream)); }, kServerTimeout) &&
      pa_stream_get_state(open->stream) == PA_STREAM_READY;
  if (!connected) {
    const int pulse_error = pa_context_errno(context_);
    open->CloseLocked();
    return StreamOpening{nullptr, static_cast<int>(StreamError(pulse_error))};
  }
  return StreamOpening{std::move(open), 0};
}

}  // namespace orvimo::capture
