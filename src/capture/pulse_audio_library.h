#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture_library_core.h"

struct pa_threaded_mainloop;
struct pa_context;

namespace orvimo::capture {

// Capture straight from a PulseAudio (or PipeWire-Pulse) server through libpulse. Every method runs on
// the GUI thread; libpulse calls back on the thread of its threaded main loop, one per library.
//
// Each chunk the server delivers is taken in the same wake-up (peek until the queue is empty), so the
// capture keeps real time however small the chunks are that the server sends: a source fed in small
// pieces, such as the monitor of a sink that a low-latency player writes to, loses nothing.
//
// Capture devices are the server's sources in its own order, monitors of the outputs included, named
// by their descriptions. The list is read at Init and again whenever device 0 is asked for, which is
// where every enumeration starts.
//
// A stream that fails, or a server that goes away, turns the channel inactive and hands nothing more
// over; the next RecordStart connects to the server anew.
//
// Dropouts: when the reader falls behind by more than the server buffers, the server drops what does
// not fit and sends on from there without a mark: no hole reaches pa_stream_peek, and the read and
// write indices of the timing info move on together as if nothing was lost. So the loss is told from
// the pace of the bytes received (DropoutClock), which costs no call into libpulse. A hole that the
// server does mark (pa_stream_peek with no data) is handed over as silence and counted too.
class PulseAudioLibrary : public CaptureLibraryCore {
 public:
  // How long Init, RecordStart and the device list wait for the server to answer.
  static constexpr std::chrono::milliseconds kServerTimeout{3000};

  struct Options {
    // How much audio the server keeps for a reader that falls behind before it drops some. By default
    // the server's own choice, some seconds; tests make it small to provoke a dropout quickly.
    std::optional<std::chrono::milliseconds> server_buffer;
  };

  PulseAudioLibrary() = default;
  explicit PulseAudioLibrary(Options options) : options_(options) {}
  ~PulseAudioLibrary() override;

  // True when a server answers a connection within the timeout; nothing is kept.
  static bool IsServerReachable(std::chrono::milliseconds timeout = kServerTimeout);

 protected:
  bool OpenLibrary(int output_device) override;
  void CloseLibrary() override;
  std::optional<std::string> DeviceDescription(int device) override;
  bool SelectDevice(int device) override;
  StreamOpening OpenStream(int device, const SampleFormat& format, RecordChannel& channel) override;

 private:
  struct Source {
    std::string name;
    std::string description;
  };

  // The calls below that end in Locked expect the main loop's lock to be held.
  bool ConnectLocked(std::chrono::milliseconds timeout);
  bool EnsureConnectedLocked();
  bool ContextReadyLocked() const;
  bool RefreshSourcesLocked();
  std::optional<uint32_t> CountSinksLocked();
  StreamOpening OpenStreamLocked(const SampleFormat& format, RecordChannel& channel);
  bool StartMainloop();
  void Disconnect();

  const Options options_;
  pa_threaded_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  std::vector<Source> sources_;
  std::string selected_source_;  // empty: the server's default source
};

}  // namespace orvimo::capture
