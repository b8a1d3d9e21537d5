#include "small_chunk_sink.h"

#include "pulse_session.h"

#include <signal.h>

#include <cstdlib>

namespace orvimo::capture {

SmallChunkSink::SmallChunkSink(std::string name) : name_(std::move(name)) {
  bool ok = false;
  // rate=44100 and no norewinds: the sink rewinds whenever a client writes, and its monitor passes
  // every small piece on as it comes.
  const std::string module = RunShellCommand("pactl load-module module-null-sink sink_name=" + name_ +
                                                 " rate=44100 sink_properties=device.description=" + name_,
                                             &ok);
  if (ok) {
    module_ = std::atoi(module.c_str());
  }
}

SmallChunkSink::~SmallChunkSink() {
  if (player_ > 0) {
    kill(player_, SIGTERM);
  }
  if (module_ >= 0) {
    bool ok = false;
    RunShellCommand("pactl unload-module " + std::to_string(module_), &ok);
  }
}

bool SmallChunkSink::Play(int seconds, const std::string& wav_dir, int latency_ms) {
  bool ok = false;
  const std::string wav = wav_dir + "/small-chunks-" + std::to_string(seconds) + ".wav";
  RunShellCommand("mkdir -p '" + wav_dir + "' && { [ -s '" + wav +
                      "' ] || sox -n -r 44100 -c 2 -b 16 -e signed-integer '" + wav + "' synth " +
                      std::to_string(seconds) + " sine " + std::to_string(kToneFrequency) + " vol 0.5; }",
                  &ok);
  if (!ok) {
    return false;
  }
  // Detached from our pipe, so reading the pid does not wait for the player.
  const std::string latency = latency_ms > 0 ? " --latency-msec=" + std::to_string(latency_ms) : "";
  const std::string pid = RunShellCommand(
      "paplay" + latency + " -d " + name_ + " '" + wav + "' </dev/null >/dev/null 2>&1 & echo $!", &ok);
  player_ = ok ? std::atoi(pid.c_str()) : -1;
  return player_ > 0;
}

}  // namespace orvimo::capture
