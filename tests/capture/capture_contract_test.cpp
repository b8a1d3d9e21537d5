// What every capture backend promises the program, checked against each one the machine can run: the
// test fake (always), SDL on its dummy driver, and the PulseAudio client against the private daemon of
// the "pulse" test fixture. The rules live in one core, so a backend that drifts from it fails here.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "capture/pulse_audio_library.h"
#include "capture/sdl_audio_library.h"
#include "pulse_session.h"
#include "support/fake_audio_library.h"

#ifndef ORVIMO_PULSE_DIR
#error "ORVIMO_PULSE_DIR must name the pulse fixture's directory"
#endif

namespace orvimo::capture {
namespace {

using namespace std::chrono_literals;

struct Probe {
  std::atomic<int> calls{0};
  bool go_on = true;
};

bool Count(uint32_t /*channel*/, const void* /*buffer*/, uint32_t /*length*/, void* user) {
  auto* probe = static_cast<Probe*>(user);
  ++probe->calls;
  return probe->go_on;
}

struct Backend {
  std::string name;
  // Makes the library; false when the machine cannot run it.
  std::function<bool(std::unique_ptr<AudioLibrary>&)> make;
  // Lets audio arrive on the running channels: the fake delivers 100 ms, the others capture it.
  std::function<void(AudioLibrary&)> pump;
};

void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

void WaitForAudio(AudioLibrary& /*library*/) { std::this_thread::sleep_for(150ms); }

const Backend kBackends[] = {
    {"Fake",
     [](std::unique_ptr<AudioLibrary>& library) {
       auto fake = std::make_unique<FakeAudioLibrary>();
       fake->SetDevices({"First", "Second"});
       library = std::move(fake);
       return true;
     },
     [](AudioLibrary& library) { static_cast<FakeAudioLibrary&>(library).DeliverSilence(0.1); }},
    {"SdlDummy",
     [](std::unique_ptr<AudioLibrary>& library) {
       setenv("SDL_AUDIODRIVER", "dummy", 1);
       library = std::make_unique<SdlAudioLibrary>();
       return true;
     },
     WaitForAudio},
    {"Pulse",
     [](std::unique_ptr<AudioLibrary>& library) {
       if (!PulseSession(ORVIMO_PULSE_DIR).LoadEnvironment()) {
         return false;
       }
       library = std::make_unique<PulseAudioLibrary>();
       return true;
     },
     WaitForAudio},
};

class CaptureContractTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!GetParam().make(library_)) {
      GTEST_SKIP() << GetParam().name << " cannot run here";
    }
  }
  void TearDown() override {
    if (library_) {
      library_->Free();
    }
  }

  void InitAndSelect(int device) {
    ASSERT_TRUE(library_->Init(-1, 44100, 0, nullptr, nullptr)) << library_->ErrorGetCode();
    ASSERT_TRUE(library_->RecordInit(device)) << library_->ErrorGetCode();
  }
  uint32_t Start(uint32_t frequency = 44100, uint32_t channels = 2) {
    return library_->RecordStart(frequency, channels, 0, Count, &probe_);
  }
  int DeviceCount() {
    int count = 0;
    while (library_->RecordGetDeviceDescription(count)) {
      ++count;
    }
    return count;
  }

  std::unique_ptr<AudioLibrary> library_;
  Probe probe_;
};

TEST_P(CaptureContractTest, ErrorCodesOfTheProgramsTable) {
  EXPECT_EQ(Start(), 0u);
  EXPECT_EQ(library_->ErrorGetCode(), 8) << "before Init";
  EXPECT_FALSE(library_->RecordInit(-1));
  EXPECT_EQ(library_->ErrorGetCode(), 8);
  EXPECT_FALSE(library_->RecordGetDeviceDescription(0)) << "nothing listed before Init";
  EXPECT_FALSE(library_->Init(-2, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_->ErrorGetCode(), 37);

  ASSERT_TRUE(library_->Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(library_->Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(library_->ErrorGetCode(), 14) << "initialised twice";
  EXPECT_EQ(Start(), 0u);
  EXPECT_EQ(library_->ErrorGetCode(), 8) << "no device selected";
  EXPECT_FALSE(library_->RecordGetDeviceDescription(-1));
  for (const int device : {DeviceCount(), -2}) {
    EXPECT_FALSE(library_->RecordInit(device)) << device;
    EXPECT_EQ(library_->ErrorGetCode(), 37) << device;
  }
  EXPECT_EQ(Start(), 0u) << "a failed RecordInit selects nothing";
  EXPECT_EQ(library_->ErrorGetCode(), 8);

  ASSERT_TRUE(library_->RecordInit(-1));
  const struct {
    uint32_t frequency;
    uint32_t channels;
  } unusable[] = {{0, 2}, {44100, 0}, {44100, 3}, {0x80000000u, 2}, {0xFFFFFFFFu, 1}};
  for (const auto& format : unusable) {
    EXPECT_EQ(Start(format.frequency, format.channels), 0u)
        << format.frequency << " Hz, " << format.channels << " channels";
    EXPECT_EQ(library_->ErrorGetCode(), 6);
  }
}

TEST_P(CaptureContractTest, OneChannelPerDeviceAndHandlesAreNeverReused) {
  InitAndSelect(0);
  const uint32_t first = Start();
  ASSERT_NE(first, 0u) << library_->ErrorGetCode();
  EXPECT_EQ(Start(8000, 1), 0u);
  EXPECT_EQ(library_->ErrorGetCode(), 14);
  EXPECT_TRUE(library_->ChannelStop(first));
  const uint32_t second = Start();
  ASSERT_NE(second, 0u);
  EXPECT_GT(second, first);
  EXPECT_FALSE(library_->ChannelStop(first)) << "a stale handle leaves the new channel alone";
  EXPECT_TRUE(library_->ChannelIsActive(second));
  for (const uint32_t unknown : {0u, first, 12345u}) {
    EXPECT_FALSE(library_->ChannelStop(unknown)) << unknown;
    EXPECT_FALSE(library_->ChannelIsActive(unknown)) << unknown;
    EXPECT_EQ(library_->ChannelGetLevel(unknown), 0u) << unknown;
    EXPECT_EQ(library_->ChannelGetDropouts(unknown), DropoutCount{}) << unknown;
  }
  if (DeviceCount() >= 2) {
    ASSERT_TRUE(library_->RecordInit(1));
    EXPECT_GT(Start(48000, 1), second) << "another device may capture at the same time";
    EXPECT_TRUE(library_->ChannelIsActive(second));
  }
}

TEST_P(CaptureContractTest, ACallbackThatSaysStopEndsTheChannel) {
  InitAndSelect(0);
  probe_.go_on = false;
  const uint32_t handle = Start();
  ASSERT_NE(handle, 0u);
  GetParam().pump(*library_);
  GetParam().pump(*library_);
  EXPECT_EQ(probe_.calls, 1);
  EXPECT_FALSE(library_->ChannelIsActive(handle));
}

TEST_P(CaptureContractTest, RecordFreeStopAndFreeCloseEveryChannelAndMayRepeat) {
  InitAndSelect(-1);
  const uint32_t handle = Start();
  ASSERT_NE(handle, 0u);
  EXPECT_TRUE(library_->RecordFree());
  EXPECT_FALSE(library_->ChannelIsActive(handle));
  EXPECT_TRUE(library_->RecordFree());
  EXPECT_EQ(Start(), 0u) << "RecordFree forgets the device";
  EXPECT_EQ(library_->ErrorGetCode(), 8);
  ASSERT_TRUE(library_->RecordInit(-1));
  ASSERT_NE(Start(), 0u);
  EXPECT_TRUE(library_->Stop());
  EXPECT_TRUE(library_->Stop());
  EXPECT_TRUE(library_->Free());
  EXPECT_TRUE(library_->Free());
  const int calls = probe_.calls;
  GetParam().pump(*library_);
  EXPECT_EQ(probe_.calls, calls);
  EXPECT_EQ(Start(), 0u);
  EXPECT_EQ(library_->ErrorGetCode(), 8);
  EXPECT_TRUE(library_->Init(0, 44100, 0, nullptr, nullptr)) << "usable again after Free";
}

INSTANTIATE_TEST_SUITE_P(Backends, CaptureContractTest, ::testing::ValuesIn(kBackends),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orvimo::capture
