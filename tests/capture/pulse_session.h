#pragma once

#include <string>

namespace orvimo::capture {

// Runs a shell command without input; its output (stdout and stderr). ok tells whether it exited 0;
// a failure is also printed, with the command and its output.
std::string RunShellCommand(const std::string& command, bool* ok);

// Drives tests/audio/pulse-session from a test: the private sound server and the tones played into it.
class PulseSession {
 public:
  // dir: the session's directory, as given to "pulse-session start".
  explicit PulseSession(std::string dir);

  // Starts a daemon of this test's own (the shared fixture's is started by CTest).
  bool Start() const;
  bool Stop() const;
  // Puts the exports of <dir>/pulse.env into this process's environment, so SDL finds the daemon.
  bool LoadEnvironment() const;
  // Plays a sine of peak 16384 into the null sink in the background; the player's pid, or -1.
  int PlayTone(int frequency, int seconds) const;
  // The same with white noise, different on every call: no stretch of it repeats another.
  int PlayNoise(int seconds) const;

  static void EndPlayer(int pid);

 private:
  std::string Run(const std::string& arguments, bool* ok) const;

  std::string dir_;
};

}  // namespace orvimo::capture
