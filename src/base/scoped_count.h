#pragma once

namespace orvimo {

// Counts itself into an int for as long as it lives: how many of something are in progress right now
// (nested sequences, quiet puts), each undone on every way out of its scope.
class ScopedCount {
 public:
  explicit ScopedCount(int& counter) : counter_(counter) { ++counter_; }
  ~ScopedCount() { --counter_; }
  ScopedCount(const ScopedCount&) = delete;
  ScopedCount& operator=(const ScopedCount&) = delete;

 private:
  int& counter_;
};

}  // namespace orvimo
