// Soak driver: records a long, known input at full speed through the program's real recording path
// (SdlAudioLibrary on SDL's disk driver, RecordingWriter, OutputFile) and checks every byte of the
// result. Each 4-byte sample frame of the input holds its own index, so a lost or doubled buffer shows
// as a jump in the sequence.
//
//   orvimo_soak_recorder --seconds <audio seconds> --dir <scratch folder> [--direct] [--keep]
//                        [--timer-slack-ns <n>]
//
// --direct leaves SDL out: the input's buffers (20 ms each, as SDL delivers them) go straight into the
// capture channel's hand-over (RecordChannel: peak meter, then RecordingWriter, then OutputFile), which
// measures the program's own part of the path apart from SDL's driver.
//
// --timer-slack-ns sets the timer slack the capture thread inherits (Linux). SDL's disk driver sleeps
// before every buffer, also with a delay of 0 ms, and such a sleep lasts the thread's timer slack
// (50 us by default): with a slack of 1 ns the driver's own pace shows.
//
// Prints key=value lines (bytes, timing, rate, frames lost/doubled/foreign) and exits 0 only when the
// output holds the input exactly, followed by nothing but silence.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "capture/record_channel.h"
#include "capture/sdl_audio_library.h"
#include "recording/output_file.h"
#include "recording/recording_writer.h"
#include "recording/wave_header.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kBits = 16;
constexpr uint32_t kFrameSize = kChannels * kBits / 8;
constexpr size_t kHeaderSize = 44;
constexpr size_t kChunkFrames = 1 << 18;

struct Options {
  double seconds = 600;
  std::filesystem::path dir = ".";
  bool keep = false;
  bool direct = false;
  long timerSlackNs = 0;  // 0: the thread's default
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      options.seconds = std::atof(argv[++i]);
    } else if (arg == "--dir" && i + 1 < argc) {
      options.dir = argv[++i];
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--direct") {
      options.direct = true;
    } else if (arg == "--timer-slack-ns" && i + 1 < argc) {
      options.timerSlackNs = std::atol(argv[++i]);
    } else {
      std::cerr << "usage: orvimo_soak_recorder --seconds <audio seconds> --dir <folder> [--direct] [--keep]"
                   " [--timer-slack-ns <n>]\n";
      std::exit(2);
    }
  }
  return options;
}

// The input: frame n holds n, little-endian. Reused when a previous run left one of the right size.
void WriteInput(const std::filesystem::path& path, uint64_t frames) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) == frames * kFrameSize) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<uint8_t> chunk(kChunkFrames * kFrameSize);
  for (uint64_t first = 0; first < frames; first += kChunkFrames) {
    const uint64_t count = std::min<uint64_t>(kChunkFrames, frames - first);
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t index = static_cast<uint32_t>(first + i);
      for (int b = 0; b < 4; ++b) chunk[i * kFrameSize + b] = static_cast<uint8_t>(index >> (8 * b));
    }
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(count * kFrameSize));
  }
  if (!out) throw std::runtime_error("cannot write the input file " + path.string());
}

struct RecordResult {
  double seconds = 0;
  int64_t bytesCounted = 0;
};

// Records until the callback has counted the whole input, as the program would: header first, then the
// capture, a size update once a second, and at the end the capture stopped before the sizes are patched.
// The writer of one recording with its first file made and its header written.
std::unique_ptr<orvimo::RecordingWriter> OpenWriter(const std::filesystem::path& output) {
  auto part = std::make_unique<orvimo::RecordingPart>();
  part->file = orvimo::OutputFile::Create(output.string());
  part->file->WriteHeader(orvimo::MakeWaveHeader(kChannels, kRate, kBits));
  part->file->Commit();
  auto writer = std::make_unique<orvimo::RecordingWriter>();
  writer->Begin(std::move(part), {kRate, kChannels, kBits});
  return writer;
}

// After the capture has stopped: the file is cut to what the writer wrote and its sizes patched.
void CloseWriter(orvimo::RecordingWriter& writer) {
  for (auto& part : writer.End()) {
    if (part) part->file->FinishAt(part->offset.load());
  }
}

RecordResult Record(const std::filesystem::path& output, uint64_t inputBytes) {
  orvimo::capture::SdlAudioLibrary library;
  if (!library.Init(-1, kRate, 0, nullptr, nullptr) || !library.RecordInit(-1))
    throw std::runtime_error("the capture library does not start (code " +
                             std::to_string(library.ErrorGetCode()) + ")");
  auto writer = OpenWriter(output);
  const auto start = std::chrono::steady_clock::now();
  const uint32_t channel =
      library.RecordStart(kRate, kChannels, 0, orvimo::RecordingWriter::Callback, writer.get());
  if (channel == 0)
    throw std::runtime_error("RecordStart failed with code " + std::to_string(library.ErrorGetCode()));
  // What the writer's backlog had no room for counts as arrived: the check then shows it missing.
  while (writer->Accepted() + writer->Overflows().bytes_lost < inputBytes) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  library.ChannelStop(channel);
  CloseWriter(*writer);
  const auto end = std::chrono::steady_clock::now();
  library.Free();
  return {std::chrono::duration<double>(end - start).count(), static_cast<int64_t>(writer->Written())};
}

constexpr uint64_t kDirectBacklog = 1 << 20;

// The same path without SDL: the input read in SDL's buffer size and handed over on a thread of its own,
// as the capture thread would.
RecordResult RecordDirect(const std::filesystem::path& input, const std::filesystem::path& output) {
  auto writer = OpenWriter(output);
  const uint32_t bufferBytes = orvimo::capture::SdlAudioLibrary::BufferFrames(kRate) * kFrameSize;

  const auto start = std::chrono::steady_clock::now();
  std::thread capture([&] {
    orvimo::capture::RecordChannel channel(1, {kRate, kChannels, kBits}, orvimo::RecordingWriter::Callback,
                                           writer.get());
    std::FILE* file = std::fopen(input.c_str(), "rb");
    if (file == nullptr) return;
    std::vector<uint8_t> buffer(bufferBytes);
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
      // Faster than real time, the writer's backlog would fill: the hand-over waits for the disk instead.
      while (writer->Accepted() - writer->Written() > kDirectBacklog) std::this_thread::yield();
      channel.HandOver(buffer.data(), static_cast<uint32_t>(got));
    }
    std::fclose(file);
  });
  capture.join();
  CloseWriter(*writer);
  const auto end = std::chrono::steady_clock::now();
  return {std::chrono::duration<double>(end - start).count(), static_cast<int64_t>(writer->Written())};
}

struct Verdict {
  uint64_t framesInOrder = 0, framesLost = 0, framesDoubled = 0, framesForeign = 0;
  uint64_t trailingFrames = 0, trailingNonSilent = 0, partialBytes = 0;
  bool headerMatches = false;
  bool Perfect(uint64_t frames) const {
    return framesInOrder == frames && framesLost == 0 && framesDoubled == 0 && framesForeign == 0 &&
           trailingNonSilent == 0 && partialBytes == 0 && headerMatches;
  }
};

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Walks the recorded frames: each should be the next index; a jump forward is lost audio, a step back
// doubled audio; after the last index only silence (the disk driver's, past the end of its file) may follow.
Verdict Verify(const std::filesystem::path& output, uint64_t frames) {
  Verdict verdict;
  std::ifstream in(output, std::ios::binary);
  uint8_t header[kHeaderSize];
  in.read(reinterpret_cast<char*>(header), kHeaderSize);
  const uint64_t fileSize = std::filesystem::file_size(output);
  verdict.headerMatches = in && ReadLe32(header + 4) == static_cast<uint32_t>(fileSize - 8) &&
                          ReadLe32(header + 40) == static_cast<uint32_t>(fileSize - kHeaderSize);
  verdict.partialBytes = (fileSize - kHeaderSize) % kFrameSize;

  std::vector<uint8_t> chunk(kChunkFrames * kFrameSize);
  uint64_t expected = 0;
  bool inputDone = frames == 0;
  while (in) {
    in.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    const uint64_t count = static_cast<uint64_t>(in.gcount()) / kFrameSize;
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t value = ReadLe32(&chunk[i * kFrameSize]);
      if (inputDone) {
        ++verdict.trailingFrames;
        if (value != 0) ++verdict.trailingNonSilent;
      } else if (value == expected) {
        ++verdict.framesInOrder;
        ++expected;
      } else if (value > expected && value < frames) {
        verdict.framesLost += value - expected;
        ++verdict.framesInOrder;
        expected = value + 1;
      } else if (value < expected) {
        ++verdict.framesDoubled;
      } else {
        ++verdict.framesForeign;
      }
      if (expected == frames) inputDone = true;
    }
  }
  verdict.framesLost += frames - expected;  // whatever never arrived
  return verdict;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  std::filesystem::create_directories(options.dir);
  const std::filesystem::path input = std::filesystem::absolute(options.dir / "soak-input.raw");
  const std::filesystem::path output = options.dir / "soak-output.wav";
  const uint64_t frames = static_cast<uint64_t>(options.seconds * kRate);
  const uint64_t inputBytes = frames * kFrameSize;

  try {
    WriteInput(input, frames);
    // SDL's disk driver reads the file as fast as the callback takes it: the recording path at full speed.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
#ifdef __linux__
    // Threads made from here on, SDL's capture thread among them, start with this slack.
    if (options.timerSlackNs > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(options.timerSlackNs));
#endif
    const RecordResult result = options.direct ? RecordDirect(input, output) : Record(output, inputBytes);
    const Verdict verdict = Verify(output, frames);
    const double megabytes = static_cast<double>(inputBytes) / 1e6;

    std::printf("path=%s\ntimer_slack_ns=%ld\n", options.direct ? "direct" : "sdl-disk",
                options.timerSlackNs);
    std::printf("audio_seconds=%.0f\ninput_bytes=%llu\noutput_bytes=%llu\nbytes_counted=%lld\n",
                options.seconds, static_cast<unsigned long long>(inputBytes),
                static_cast<unsigned long long>(std::filesystem::file_size(output)),
                static_cast<long long>(result.bytesCounted));
    std::printf("record_seconds=%.3f\nmb_per_second=%.1f\nspeed_vs_real_time=%.0f\n", result.seconds,
                megabytes / result.seconds, options.seconds / result.seconds);
    std::printf("frames_in_order=%llu\nframes_lost=%llu\nframes_doubled=%llu\nframes_foreign=%llu\n",
                static_cast<unsigned long long>(verdict.framesInOrder),
                static_cast<unsigned long long>(verdict.framesLost),
                static_cast<unsigned long long>(verdict.framesDoubled),
                static_cast<unsigned long long>(verdict.framesForeign));
    std::printf(
        "trailing_silent_frames=%llu\ntrailing_nonsilent_frames=%llu\npartial_bytes=%llu\nheader_matches=%"
        "d\n",
        static_cast<unsigned long long>(verdict.trailingFrames - verdict.trailingNonSilent),
        static_cast<unsigned long long>(verdict.trailingNonSilent),
        static_cast<unsigned long long>(verdict.partialBytes), verdict.headerMatches ? 1 : 0);
    const bool perfect = verdict.Perfect(frames);
    std::printf("verdict=%s\n", perfect ? "every byte in order" : "MISMATCH");
    if (!options.keep) {
      std::filesystem::remove(output);
      std::filesystem::remove(input);
    }
    return perfect ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvimo_soak_recorder: %s\n", error.what());
    return 2;
  }
}
