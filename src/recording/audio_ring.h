#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvimo {

// A byte ring between one producer thread and one consumer thread. Sized once while neither runs;
// after that Push and Peek/Consume take no lock and allocate nothing. The positions only grow, so full
// and empty never look alike.
class AudioRing {
 public:
  // Neither thread may use the ring meanwhile. Keeps the memory when the capacity stays.
  void Reset(std::size_t capacity);
  std::size_t Capacity() const { return bytes_.size(); }

  // Producer: copies as much of data as fits, in whole blocks of `block` bytes; returns how much.
  std::size_t Push(const uint8_t* data, std::size_t length, std::size_t block) noexcept;

  // Consumer: the oldest bytes not consumed yet, as one contiguous piece (the ring's end cuts it).
  std::span<const uint8_t> Peek() const noexcept;
  void Consume(std::size_t length) noexcept;
  // Either thread: bytes pushed and not yet consumed.
  std::size_t Used() const noexcept;

 private:
  std::vector<uint8_t> bytes_;
  std::atomic<uint64_t> written_{0};  // the producer's position
  std::atomic<uint64_t> read_{0};     // the consumer's position
};

}  // namespace orvimo
