// Figures for both capture backends in the small-chunk set-up: the share of real time captured and the
// CPU time spent per second of capture, by this process and by the sound server. Starts a private
// daemon of its own in the given directory and stops it at the end.
//
//   orvimo_capture_backend_probe <dir> [seconds=20] [player latency ms=5]
#include <sys/resource.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "capture/pulse_audio_library.h"
#include "capture/sdl_audio_library.h"
#include "capture_recorder.h"
#include "pulse_session.h"
#include "small_chunk_sink.h"

namespace {

using namespace orvimo::capture;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kBytesPerSecond = 44100 * 4;

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of another process, from /proc; 0 when it cannot be read.
double ServerCpuSeconds(const std::string& dir) {
  std::ifstream pid_file(dir + "/runtime/pulse/pid");
  int pid = 0;
  pid_file >> pid;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto after_name = line.rfind(')');
  if (pid <= 0 || after_name == std::string::npos) {
    return 0;
  }
  std::istringstream fields(line.substr(after_name + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {  // field 3 is the state
    if (index == 14) utime = std::stoull(field);
    if (index == 15) {
      stime = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int FindDevice(AudioLibrary& library, const std::string& description) {
  for (int device = 0;; ++device) {
    const auto found = library.RecordGetDeviceDescription(device);
    if (!found) return -1;
    if (*found == description) return device;
  }
}

bool Measure(const char* name, AudioLibrary& library, const SmallChunkSink& sink, const std::string& dir,
             int seconds) {
  if (!library.Init(-1, 44100, 0, nullptr, nullptr)) {
    std::fprintf(stderr, "%s: Init failed\n", name);
    return false;
  }
  const int monitor = FindDevice(library, sink.MonitorDescription());
  CaptureRecorder recorder(static_cast<size_t>(kBytesPerSecond) * (seconds + 5));
  const uint32_t handle = monitor >= 0 && library.RecordInit(monitor)
                              ? library.RecordStart(44100, 2, 0, CaptureRecorder::Collect, &recorder)
                              : 0;
  if (handle == 0 || !recorder.WaitForBytes(1, std::chrono::seconds(4))) {
    std::fprintf(stderr, "%s: no capture from %s (error %d)\n", name, sink.MonitorDescription().c_str(),
                 library.ErrorGetCode());
    library.Free();
    return false;
  }
  const auto start = recorder.FirstBufferTime() + std::chrono::milliseconds(500);
  std::this_thread::sleep_until(start);
  const size_t start_bytes = recorder.Size();
  const int start_callbacks = recorder.Callbacks();
  const double start_cpu = ProcessCpuSeconds();
  const double start_server_cpu = ServerCpuSeconds(dir);
  std::this_thread::sleep_until(start + std::chrono::seconds(seconds));
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = ProcessCpuSeconds() - start_cpu;
  const double server_cpu = ServerCpuSeconds(dir) - start_server_cpu;
  const size_t bytes = recorder.Size() - start_bytes;
  const int callbacks = recorder.Callbacks() - start_callbacks;
  library.ChannelStop(handle);
  library.Free();
  std::printf("%-6s %8.1f %% %12.2f ms %12.2f ms %10.1f\n", name, 100.0 * bytes / (elapsed * kBytesPerSecond),
              1000 * cpu / elapsed, 1000 * server_cpu / elapsed, callbacks / elapsed);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <dir> [seconds=20] [player latency ms=5]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  const int latency_ms = argc > 3 ? std::atoi(argv[3]) : 5;
  PulseSession session(dir);
  if (!session.Start() || !session.LoadEnvironment()) {
    return 1;
  }
  bool ok = false;
  {
    SmallChunkSink sink("orvimo_probe_sink");
    if (sink.Loaded() && sink.Play(2 * seconds + 20, dir, latency_ms)) {
      std::printf(
          "%d s of 44100 Hz stereo from the monitor of a 44100 Hz sink with rewinds, player latency %d ms\n",
          seconds, latency_ms);
      std::printf("%-6s %10s %15s %15s %10s\n", "", "real time", "CPU/s (self)", "CPU/s (server)",
                  "buffers/s");
      PulseAudioLibrary pulse;
      SdlAudioLibrary sdl;
      ok = Measure("pulse", pulse, sink, dir, seconds) & Measure("sdl", sdl, sink, dir, seconds);
    }
  }
  session.Stop();
  return ok ? 0 : 1;
}
