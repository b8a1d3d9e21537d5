#include "capture/win32/wave_in_audio_library.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/win32/wide_text.h"
#include "capture/dropout_clock.h"

namespace orvimo::capture {

namespace {

// One open waveIn device, its queued buffers and the thread that hands them over.
class WaveInStream : public CaptureStream {
 public:
  explicit WaveInStream(RecordChannel& channel)
      : channel_(channel),
        pace_(channel.format().BytesPerSecond()),
        event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

  // Once the hand-over thread has been joined no buffer reaches the channel; only then is the device
  // reset and closed.
  ~WaveInStream() override {
    stopping_.store(true);
    SetEvent(event_);
    if (thread_.joinable()) thread_.join();
    if (wave_ != nullptr) {
      waveInReset(wave_);
      for (WAVEHDR& header : headers_) waveInUnprepareHeader(wave_, &header, sizeof header);
      waveInClose(wave_);
    }
    CloseHandle(event_);
  }

  bool IsAlive() const override { return alive_.load(); }

  // The error code, 0 when the device captures.
  int Open(UINT device, DWORD mappedFlag) {
    const SampleFormat& format = channel_.format();
    WAVEFORMATEX wave_format{};
    wave_format.wFormatTag = WAVE_FORMAT_PCM;
    wave_format.nChannels = format.channels;
    wave_format.nSamplesPerSec = format.rate;
    wave_format.nAvgBytesPerSec = static_cast<DWORD>(format.BytesPerSecond());
    wave_format.nBlockAlign = static_cast<WORD>(format.BlockAlign());
    wave_format.wBitsPerSample = format.bits;
    const MMRESULT opened = waveInOpen(&wave_, device, &wave_format, reinterpret_cast<DWORD_PTR>(event_), 0,
                                       CALLBACK_EVENT | mappedFlag);
    if (opened != MMSYSERR_NOERROR) {
      wave_ = nullptr;
      return ErrorOf(opened);
    }
    const uint32_t bytes = WaveInAudioLibrary::BufferBytes(format);
    for (int i = 0; i < WaveInAudioLibrary::kBuffers; ++i) {
      buffers_[i].assign(bytes, 0);
      headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
      headers_[i].dwBufferLength = bytes;
      if (waveInPrepareHeader(wave_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
          waveInAddBuffer(wave_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return static_cast<int>(CaptureErrorCode::Memory);
    }
    thread_ = std::thread([this] { HandOverLoop(); });
    if (waveInStart(wave_) != MMSYSERR_NOERROR) return static_cast<int>(CaptureErrorCode::NotAvailable);
    return 0;
  }

 private:
  static int ErrorOf(MMRESULT result) {
    switch (result) {
      case MMSYSERR_NOMEM:
        return static_cast<int>(CaptureErrorCode::Memory);
      case WAVERR_BADFORMAT:
        return static_cast<int>(CaptureErrorCode::Format);
      default:
        return static_cast<int>(CaptureErrorCode::NotAvailable);
    }
  }

  // The device marks a filled buffer done from a thread of its own.
  static bool IsDone(const WAVEHDR& header) {
    return (reinterpret_cast<const volatile DWORD&>(header.dwFlags) & WHDR_DONE) != 0;
  }

  // On the stream's own thread: buffers come back in the order they were queued.
  void HandOverLoop() {
    auto last_delivery = std::chrono::steady_clock::now();
    std::size_t next = 0;
    while (!stopping_.load()) {
      WaitForSingleObject(event_, 100);
      while (!stopping_.load() && IsDone(headers_[next])) {
        HandOver(headers_[next]);
        next = (next + 1) % headers_.size();
        last_delivery = std::chrono::steady_clock::now();
      }
      if (std::chrono::steady_clock::now() - last_delivery >
          std::chrono::milliseconds(WaveInAudioLibrary::kSilentLimitMilliseconds))
        alive_.store(false);
    }
  }

  void HandOver(WAVEHDR& header) {
    const DWORD length = header.dwBytesRecorded;
    if (length > 0 && alive_.load()) {
      delivered_ += length;
      if (const uint64_t lost = pace_.Observe(delivered_, DropoutClock::Clock::now()))
        channel_.ReportDropout(lost);
      channel_.HandOver(reinterpret_cast<const uint8_t*>(header.lpData), length);
    }
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    header.dwBytesRecorded = 0;
    if (waveInAddBuffer(wave_, &header, sizeof header) != MMSYSERR_NOERROR) alive_.store(false);
  }

  RecordChannel& channel_;
  DropoutClock pace_;  // the hand-over thread's only
  uint64_t delivered_ = 0;
  HANDLE event_;
  HWAVEIN wave_ = nullptr;
  std::array<std::vector<uint8_t>, WaveInAudioLibrary::kBuffers> buffers_;
  std::array<WAVEHDR, WaveInAudioLibrary::kBuffers> headers_{};
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> alive_{true};
};

}  // namespace

WaveInAudioLibrary::~WaveInAudioLibrary() { Shutdown(); }

uint32_t WaveInAudioLibrary::BufferBytes(const SampleFormat& format) {
  const uint64_t frames = std::max<uint64_t>(1, (uint64_t{format.rate} * kBufferMilliseconds + 500) / 1000);
  return static_cast<uint32_t>(frames * format.BlockAlign());
}

bool WaveInAudioLibrary::OpenLibrary(int output_device) {
  // Nothing is played, but a named output device must exist, as the command line promises.
  return output_device < 1 || waveOutGetNumDevs() >= static_cast<UINT>(output_device);
}

std::optional<std::string> WaveInAudioLibrary::DeviceDescription(int device) {
  if (device < 0 || static_cast<UINT>(device) >= waveInGetNumDevs()) return std::nullopt;
  WAVEINCAPSW caps{};
  if (waveInGetDevCapsW(static_cast<UINT_PTR>(device), &caps, sizeof caps) != MMSYSERR_NOERROR)
    return std::nullopt;
  return win32::Utf8FromWide(caps.szPname);
}

bool WaveInAudioLibrary::SelectDevice(int device) {
  return device == kDefaultDevice || DeviceDescription(device).has_value();
}

StreamOpening WaveInAudioLibrary::OpenStream(int device, const SampleFormat& format, RecordChannel& channel) {
  (void)format;  // the channel carries it
  auto stream = std::make_unique<WaveInStream>(channel);
  // A chosen device goes through the wave mapper too, which converts where the device's format differs.
  const int error = device == kDefaultDevice ? stream->Open(WAVE_MAPPER, 0)
                                             : stream->Open(static_cast<UINT>(device), WAVE_MAPPED);
  if (error != 0) return StreamOpening{nullptr, error};
  return StreamOpening{std::move(stream), 0};
}

}  // namespace orvimo::capture
