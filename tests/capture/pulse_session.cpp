#include "pulse_session.h"

#include <signal.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

#ifndef ORVIMO_PULSE_SESSION_SCRIPT
#error "ORVIMO_PULSE_SESSION_SCRIPT must name tests/audio/pulse-session"
#endif

namespace orvimo::capture {

PulseSession::PulseSession(std::string dir) : dir_(std::move(dir)) {}

std::string RunShellCommand(const std::string& command, bool* ok) {
  std::string output;
  FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    *ok = false;
    return output;
  }
  std::array<char, 256> chunk;
  while (fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
    output += chunk.data();
  }
  const int status = pclose(pipe);
  *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!*ok) {
    std::fprintf(stderr, "%s failed: %s\n", command.c_str(), output.c_str());
  }
  return output;
}

std::string PulseSession::Run(const std::string& arguments, bool* ok) const {
  return RunShellCommand(std::string("'") + ORVIMO_PULSE_SESSION_SCRIPT + "' " + arguments, ok);
}

bool PulseSession::Start() const {
  bool ok = false;
  Run("start '" + dir_ + "'", &ok);
  return ok;
}

bool PulseSession::Stop() const {
  bool ok = false;
  Run("stop '" + dir_ + "'", &ok);
  return ok;
}

bool PulseSession::LoadEnvironment() const {
  std::ifstream env(dir_ + "/pulse.env");
  const std::regex line_format(R"(^export ([A-Z_]+)='([^']*)'$)");
  std::string line;
  int loaded = 0;
  while (std::getline(env, line)) {
    std::smatch match;
    if (std::regex_match(line, match, line_format)) {
      setenv(match[1].str().c_str(), match[2].str().c_str(), 1);
      ++loaded;
    }
  }
  return loaded > 0;
}

int PulseSession::PlayTone(int frequency, int seconds) const {
  bool ok = false;
  const std::string output =
      Run("play-tone '" + dir_ + "' " + std::to_string(frequency) + " " + std::to_string(seconds), &ok);
  return ok ? std::atoi(output.c_str()) : -1;
}

int PulseSession::PlayNoise(int seconds) const {
  bool ok = false;
  const std::string output = Run("play-noise '" + dir_ + "' " + std::to_string(seconds), &ok);
  return ok ? std::atoi(output.c_str()) : -1;
}

void PulseSession::EndPlayer(int pid) {
  if (pid > 0) {
    kill(pid, SIGTERM);
  }
}

}  // namespace orvimo::capture
