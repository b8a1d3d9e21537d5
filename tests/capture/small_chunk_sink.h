#pragma once

#include <string>

namespace orvimo::capture {

// A null sink of the test's own at 44100 Hz with rewinds, and a player that feeds it in small chunks:
// the set-up in which a capture that takes one chunk per wake-up falls behind real time. The server is
// the one the environment names (PulseSession::LoadEnvironment first).
class SmallChunkSink {
 public:
  static constexpr int kToneFrequency = 1000;

  // name: the sink's name and description; its monitor is described as "Monitor of <name>".
  explicit SmallChunkSink(std::string name);
  SmallChunkSink(const SmallChunkSink&) = delete;
  SmallChunkSink& operator=(const SmallChunkSink&) = delete;
  // Ends the player and unloads the sink.
  ~SmallChunkSink();

  bool Loaded() const { return module_ >= 0; }
  // Plays a sine of peak 16384 (44100 Hz stereo) for the given seconds in the background, asking the
  // server for latency_ms of buffering, so it writes small chunks (0: paplay's own default). The tone
  // file is made in wav_dir.
  bool Play(int seconds, const std::string& wav_dir, int latency_ms = 5);
  std::string MonitorDescription() const { return "Monitor of " + name_; }

 private:
  std::string name_;
  int module_ = -1;
  int player_ = -1;
};

}  // namespace orvimo::capture
