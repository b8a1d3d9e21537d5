#include "recording/audio_ring.h"

#include <algorithm>
#include <cstring>

namespace orvimo {

void AudioRing::Reset(std::size_t capacity) {
  if (bytes_.size() != capacity) std::vector<uint8_t>(capacity).swap(bytes_);
  written_.store(0, std::memory_order_relaxed);
  read_.store(0, std::memory_order_relaxed);
}

std::size_t AudioRing::Push(const uint8_t* data, std::size_t length, std::size_t block) noexcept {
  if (bytes_.empty()) return 0;
  const uint64_t written = written_.load(std::memory_order_relaxed);
  const auto free =
      static_cast<std::size_t>(bytes_.size() - (written - read_.load(std::memory_order_acquire)));
  std::size_t taken = std::min(length, free);
  taken -= taken % std::max<std::size_t>(block, 1);
  const auto at = static_cast<std::size_t>(written % bytes_.size());
  const std::size_t first = std::min(taken, bytes_.size() - at);
  std::memcpy(bytes_.data() + at, data, first);
  std::memcpy(bytes_.data(), data + first, taken - first);
  written_.store(written + taken, std::memory_order_release);
  return taken;
}

std::span<const uint8_t> AudioRing::Peek() const noexcept {
  const uint64_t read = read_.load(std::memory_order_relaxed);
  const auto used = static_cast<std::size_t>(written_.load(std::memory_order_acquire) - read);
  const auto at = static_cast<std::size_t>(read % std::max<std::size_t>(bytes_.size(), 1));
  return {bytes_.data() + at, std::min(used, bytes_.size() - at)};
}

void AudioRing::Consume(std::size_t length) noexcept {
  read_.store(read_.load(std::memory_order_relaxed) + length, std::memory_order_release);
}

std::size_t AudioRing::Used() const noexcept {
  return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                  read_.load(std::memory_order_acquire));
}

}  // namespace orvimo
