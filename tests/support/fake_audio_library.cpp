#include "support/fake_audio_library.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace orvimo::capture {

// The fake's device stream: it only remembers whether its device went away.
class FakeAudioLibrary::Stream : public CaptureStream {
 public:
  bool IsAlive() const override { return !lost.load(); }
  std::atomic<bool> lost{false};
};

namespace {

std::vector<std::string> Names(const std::vector<FakeAudioLibrary::Call>& calls) {
  std::vector<std::string> names;
  names.reserve(calls.size());
  for (const auto& call : calls) {
    names.push_back(call.name);
  }
  return names;
}

}  // namespace

uint32_t FakeAudioLibrary::Channel::BytesPerSecond() const {
  return frequency * channels * ((flags & kRecord8Bits) != 0 ? 1 : 2);
}

FakeAudioLibrary::FakeAudioLibrary() : devices_{"Fake recording device"} {}

FakeAudioLibrary::~FakeAudioLibrary() {
  // Waits for a delivery still running on another thread.
  std::scoped_lock lock(delivery_mutex_, mutex_);
  Shutdown();
}

void FakeAudioLibrary::SetDevices(std::vector<std::string> names) {
  std::scoped_lock lock(mutex_);
  devices_ = std::move(names);
}

void FakeAudioLibrary::SetInputs(std::vector<std::string> names) {
  std::scoped_lock lock(mutex_);
  inputs_ = std::move(names);
}

void FakeAudioLibrary::RefuseInit(bool refuse) {
  std::scoped_lock lock(mutex_);
  refuse_init_ = refuse;
}

void FakeAudioLibrary::RefuseRecordStart(std::optional<int> error_code) {
  std::scoped_lock lock(mutex_);
  refuse_record_start_ = error_code;
}

void FakeAudioLibrary::SetLevel(uint16_t left, uint16_t right) {
  std::scoped_lock lock(mutex_);
  level_ = uint32_t{left} | (uint32_t{right} << 16);
}

void FakeAudioLibrary::SetChannelLost(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  if (auto found = channels_.find(handle); found != channels_.end()) {
    found->second.lost = true;
  }
  if (auto found = streams_.find(handle); found != streams_.end()) {
    found->second->lost = true;
  }
}

bool FakeAudioLibrary::ReportDropout(uint32_t handle, uint64_t bytes_lost) {
  std::scoped_lock lock(mutex_);
  RecordChannel* channel = FindChannel(handle);
  if (channel == nullptr) {
    return false;
  }
  channel->ReportDropout(bytes_lost);
  return true;
}

bool FakeAudioLibrary::Deliver(std::span<const uint8_t> bytes) {
  if (bytes.empty()) {
    return false;
  }
  std::scoped_lock delivery(delivery_mutex_);
  std::vector<std::vector<uint8_t>> buffers{std::vector<uint8_t>(bytes.begin(), bytes.end())};
  return DeliverBuffers(buffers) == bytes.size();
}

uint64_t FakeAudioLibrary::DeliverSilence(double seconds) {
  std::scoped_lock delivery(delivery_mutex_);
  Channel format;
  {
    std::scoped_lock lock(mutex_);
    Channel* channel = Running(current_);
    if (channel == nullptr) {
      return 0;
    }
    format = *channel;
  }
  const uint32_t frame_size = format.BytesPerSecond() / format.frequency;
  const uint8_t silence = (format.flags & kRecord8Bits) != 0 ? 128 : 0;
  uint64_t frames_left = static_cast<uint64_t>(std::llround(std::max(seconds, 0.0) * format.frequency));
  const uint64_t frames_per_buffer = std::max<uint64_t>(format.frequency / 50, 1);
  std::vector<std::vector<uint8_t>> buffers;
  while (frames_left > 0) {
    const uint64_t frames = std::min(frames_left, frames_per_buffer);
    buffers.emplace_back(frames * frame_size, silence);
    frames_left -= frames;
  }
  return DeliverBuffers(buffers);
}

uint64_t FakeAudioLibrary::DeliverBuffers(const std::vector<std::vector<uint8_t>>& buffers) {
  uint32_t handle = 0;
  RecordChannel* channel = nullptr;
  {
    std::scoped_lock lock(mutex_);
    const Channel* running = Running(current_);
    if (running == nullptr || running->lost || running->callback_ended) {
      return 0;
    }
    handle = running->handle;
    channel = FindChannel(handle);
  }
  // The channel lives on: ChannelStop waits for delivery_mutex_, which the caller holds.
  uint64_t delivered = 0;
  std::thread capture_thread([&] {
    for (const auto& buffer : buffers) {
      channel->HandOver(buffer.data(), static_cast<uint32_t>(buffer.size()));
      delivered += buffer.size();
      if (channel->CallbackEnded()) {
        break;
      }
    }
  });
  capture_thread.join();
  std::scoped_lock lock(mutex_);
  Channel& record = channels_.at(handle);
  record.bytes_delivered += delivered;
  record.callback_ended = channel->CallbackEnded();
  return delivered;
}

std::vector<FakeAudioLibrary::Call> FakeAudioLibrary::Calls() const {
  std::scoped_lock lock(mutex_);
  return calls_;
}

std::vector<std::string> FakeAudioLibrary::CallNames() const { return Names(Calls()); }

std::vector<FakeAudioLibrary::Call> FakeAudioLibrary::CallsNamed(const std::string& name) const {
  std::vector<Call> matching;
  for (auto& call : Calls()) {
    if (call.name == name) {
      matching.push_back(call);
    }
  }
  return matching;
}

void FakeAudioLibrary::ClearCalls() {
  std::scoped_lock lock(mutex_);
  calls_.clear();
}

bool FakeAudioLibrary::IsInitialized() const {
  std::scoped_lock lock(mutex_);
  return CaptureLibraryCore::IsInitialized();
}

std::optional<int> FakeAudioLibrary::SelectedDevice() const {
  std::scoped_lock lock(mutex_);
  return CaptureLibraryCore::SelectedDevice();
}

uint32_t FakeAudioLibrary::CurrentChannel() const {
  std::scoped_lock lock(mutex_);
  return current_;
}

std::optional<FakeAudioLibrary::Channel> FakeAudioLibrary::ChannelInfo(uint32_t handle) const {
  std::scoped_lock lock(mutex_);
  const auto found = channels_.find(handle);
  return found == channels_.end() ? std::nullopt : std::optional<Channel>(found->second);
}

std::vector<FakeAudioLibrary::Channel> FakeAudioLibrary::Channels() const {
  std::scoped_lock lock(mutex_);
  std::vector<Channel> all;
  for (const auto& [handle, channel] : channels_) {
    all.push_back(channel);
  }
  return all;
}

void FakeAudioLibrary::Record(std::string name, std::vector<int64_t> args) {
  calls_.push_back(Call{std::move(name), std::move(args)});
}

FakeAudioLibrary::Channel* FakeAudioLibrary::Running(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found == channels_.end() || found->second.stopped ? nullptr : &found->second;
}

void FakeAudioLibrary::MarkAllStopped() {
  for (auto& [handle, channel] : channels_) {
    channel.stopped = true;
  }
  streams_.clear();
  current_ = 0;
}

bool FakeAudioLibrary::OpenLibrary(int /*output_device*/) { return !refuse_init_; }

std::optional<std::string> FakeAudioLibrary::DeviceDescription(int device) {
  if (static_cast<size_t>(device) >= devices_.size()) {
    return std::nullopt;
  }
  return devices_[static_cast<size_t>(device)];
}

bool FakeAudioLibrary::SelectDevice(int device) {
  return device == kDefaultDevice || static_cast<size_t>(device) < devices_.size();
}

std::optional<std::string> FakeAudioLibrary::InputName(int input) {
  if (static_cast<size_t>(input) >= inputs_.size()) {
    return std::nullopt;
  }
  return inputs_[static_cast<size_t>(input)];
}

StreamOpening FakeAudioLibrary::OpenStream(int /*device*/, const SampleFormat& /*format*/,
                                           RecordChannel& channel) {
  if (refuse_record_start_) {
    return StreamOpening{nullptr, *refuse_record_start_};
  }
  auto stream = std::make_unique<Stream>();
  streams_[channel.handle()] = stream.get();
  return StreamOpening{std::move(stream), 0};
}

bool FakeAudioLibrary::Init(int device, uint32_t frequency, uint32_t flags, void* window, void* clsid) {
  std::scoped_lock lock(mutex_);
  Record("Init", {device, frequency, flags});
  return CaptureLibraryCore::Init(device, frequency, flags, window, clsid);
}

bool FakeAudioLibrary::Start() {
  std::scoped_lock lock(mutex_);
  Record("Start");
  return CaptureLibraryCore::Start();
}

std::optional<std::string> FakeAudioLibrary::RecordGetDeviceDescription(int device) {
  std::scoped_lock lock(mutex_);
  Record("RecordGetDeviceDescription", {device});
  return CaptureLibraryCore::RecordGetDeviceDescription(device);
}

bool FakeAudioLibrary::RecordInit(int device) {
  std::scoped_lock lock(mutex_);
  Record("RecordInit", {device});
  return CaptureLibraryCore::RecordInit(device);
}

bool FakeAudioLibrary::RecordFree() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("RecordFree");
  MarkAllStopped();
  return CaptureLibraryCore::RecordFree();
}

std::optional<std::string> FakeAudioLibrary::RecordGetInputName(int input) {
  std::scoped_lock lock(mutex_);
  Record("RecordGetInputName", {input});
  return CaptureLibraryCore::RecordGetInputName(input);
}

uint32_t FakeAudioLibrary::RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags,
                                       CaptureCallback proc, void* user) {
  std::scoped_lock lock(mutex_);
  Record("RecordStart", {frequency, channels, flags});
  const uint32_t handle = CaptureLibraryCore::RecordStart(frequency, channels, flags, proc, user);
  if (handle != 0) {
    channels_[handle] = Channel{handle, frequency, channels, flags, proc, user};
    current_ = handle;
  }
  return handle;
}

bool FakeAudioLibrary::ChannelStop(uint32_t handle) {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("ChannelStop", {handle});
  if (!CaptureLibraryCore::ChannelStop(handle)) {
    return false;
  }
  channels_.at(handle).stopped = true;
  streams_.erase(handle);
  if (current_ == handle) {
    current_ = 0;
  }
  return true;
}

int FakeAudioLibrary::ErrorGetCode() {
  std::scoped_lock lock(mutex_);
  Record("ErrorGetCode");
  return CaptureLibraryCore::ErrorGetCode();
}

uint32_t FakeAudioLibrary::ChannelGetLevel(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  Record("ChannelGetLevel", {handle});
  return FindChannel(handle) != nullptr ? level_ : 0;
}

bool FakeAudioLibrary::ChannelIsActive(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  Record("ChannelIsActive", {handle});
  return CaptureLibraryCore::ChannelIsActive(handle);
}

DropoutCount FakeAudioLibrary::ChannelGetDropouts(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  Record("ChannelGetDropouts", {handle});
  return CaptureLibraryCore::ChannelGetDropouts(handle);
}

void FakeAudioLibrary::SetLowPower(bool relaxed) {
  std::scoped_lock lock(mutex_);
  Record("SetLowPower", {relaxed ? 1 : 0});
  CaptureLibraryCore::SetLowPower(relaxed);
}

bool FakeAudioLibrary::Stop() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("Stop");
  MarkAllStopped();
  return CaptureLibraryCore::Stop();
}

bool FakeAudioLibrary::Free() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("Free");
  MarkAllStopped();
  return CaptureLibraryCore::Free();
}

}  // namespace orvimo::capture
