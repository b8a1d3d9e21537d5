#include "support/fake_audio_library.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <thread>

namespace orvimo::capture {

namespace {

constexpr int kDefaultDevice = -1;

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
  CaptureCallback callback = nullptr;
  void* user = nullptr;
  {
    std::scoped_lock lock(mutex_);
    Channel* channel = Running(current_);
    if (channel == nullptr || channel->lost || channel->callback_ended) {
      return 0;
    }
    handle = channel->handle;
    callback = channel->callback;
    user = channel->user;
  }
  uint64_t delivered = 0;
  bool ended = false;
  std::thread capture_thread([&] {
    for (const auto& buffer : buffers) {
      const auto length = static_cast<uint32_t>(buffer.size());
      delivered += length;
      if (callback != nullptr && !callback(handle, buffer.data(), length, user)) {
        ended = true;
        break;
      }
    }
  });
  capture_thread.join();
  std::scoped_lock lock(mutex_);
  Channel& channel = channels_.at(handle);
  channel.bytes_delivered += delivered;
  channel.callback_ended = ended;
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
  return initialized_;
}

std::optional<int> FakeAudioLibrary::SelectedDevice() const {
  std::scoped_lock lock(mutex_);
  return selected_device_;
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

uint32_t FakeAudioLibrary::Fail(int code) {
  last_error_ = code;
  return 0;
}

FakeAudioLibrary::Channel* FakeAudioLibrary::Running(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found == channels_.end() || found->second.stopped ? nullptr : &found->second;
}

void FakeAudioLibrary::StopAllLocked() {
  for (auto& [handle, channel] : channels_) {
    channel.stopped = true;
  }
  current_ = 0;
}

bool FakeAudioLibrary::Init(int device, uint32_t frequency, uint32_t flags, void* /*window*/,
                            void* /*clsid*/) {
  std::scoped_lock lock(mutex_);
  Record("Init", {device, frequency, flags});
  if (refuse_init_ || initialized_) {
    last_error_ = static_cast<int>(initialized_ ? CaptureErrorCode::Already : CaptureErrorCode::NotAvailable);
    return false;
  }
  initialized_ = true;
  return true;
}

bool FakeAudioLibrary::Start() {
  std::scoped_lock lock(mutex_);
  Record("Start");
  return initialized_;
}

std::optional<std::string> FakeAudioLibrary::RecordGetDeviceDescription(int device) {
  std::scoped_lock lock(mutex_);
  Record("RecordGetDeviceDescription", {device});
  if (device < 0 || static_cast<size_t>(device) >= devices_.size()) {
    return std::nullopt;
  }
  return devices_[static_cast<size_t>(device)];
}

bool FakeAudioLibrary::RecordInit(int device) {
  std::scoped_lock lock(mutex_);
  Record("RecordInit", {device});
  selected_device_.reset();
  if (!initialized_) {
    return Fail(static_cast<int>(CaptureErrorCode::NotInitialized)) != 0;
  }
  if (device != kDefaultDevice && (device < 0 || static_cast<size_t>(device) >= devices_.size())) {
    return Fail(static_cast<int>(CaptureErrorCode::NotAvailable)) != 0;
  }
  selected_device_ = device;
  return true;
}

bool FakeAudioLibrary::RecordFree() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("RecordFree");
  StopAllLocked();
  selected_device_.reset();
  return true;
}

std::optional<std::string> FakeAudioLibrary::RecordGetInputName(int input) {
  std::scoped_lock lock(mutex_);
  Record("RecordGetInputName", {input});
  if (input < 0 || static_cast<size_t>(input) >= inputs_.size()) {
    return std::nullopt;
  }
  return inputs_[static_cast<size_t>(input)];
}

uint32_t FakeAudioLibrary::RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags,
                                       CaptureCallback proc, void* user) {
  std::scoped_lock lock(mutex_);
  Record("RecordStart", {frequency, channels, flags});
  if (refuse_record_start_) {
    return Fail(*refuse_record_start_);
  }
  if (!initialized_ || !selected_device_) {
    return Fail(static_cast<int>(CaptureErrorCode::NotInitialized));
  }
  if (frequency == 0 || frequency > INT_MAX || (channels != 1 && channels != 2)) {
    return Fail(static_cast<int>(CaptureErrorCode::Format));
  }
  if (Running(current_) != nullptr) {
    return Fail(static_cast<int>(CaptureErrorCode::Already));
  }
  const uint32_t handle = ++last_handle_;
  channels_[handle] = Channel{handle, frequency, channels, flags, proc, user};
  current_ = handle;
  last_error_ = 0;
  return handle;
}

bool FakeAudioLibrary::ChannelStop(uint32_t handle) {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("ChannelStop", {handle});
  Channel* channel = Running(handle);
  if (channel == nullptr) {
    return false;
  }
  channel->stopped = true;
  if (current_ == handle) {
    current_ = 0;
  }
  return true;
}

int FakeAudioLibrary::ErrorGetCode() {
  std::scoped_lock lock(mutex_);
  Record("ErrorGetCode");
  return last_error_;
}

uint32_t FakeAudioLibrary::ChannelGetLevel(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  Record("ChannelGetLevel", {handle});
  return Running(handle) != nullptr ? level_ : 0;
}

bool FakeAudioLibrary::ChannelIsActive(uint32_t handle) {
  std::scoped_lock lock(mutex_);
  Record("ChannelIsActive", {handle});
  const Channel* channel = Running(handle);
  return channel != nullptr && !channel->lost && !channel->callback_ended;
}

bool FakeAudioLibrary::Stop() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("Stop");
  StopAllLocked();
  return true;
}

bool FakeAudioLibrary::Free() {
  std::scoped_lock delivery(delivery_mutex_);
  std::scoped_lock lock(mutex_);
  Record("Free");
  StopAllLocked();
  selected_device_.reset();
  initialized_ = false;
  return true;
}

}  // namespace orvimo::capture
