// Hostile command lines: the tokenizer must never crash, never throw, and keep its promises about the
// list it builds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cmdline/cl_parser.h"

namespace {

// Names the broken invariant before the fuzzer records the input.
#define Require(condition)                                                                     \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                            \
    }                                                                                          \
  } while (false)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> before{"sentinel=1", "kept.wav"};
  std::vector<std::string> list = before;

  const bool hasArguments = orvimo::SplitCommandLine(line, list);
  if (!hasArguments) {
    Require(list == before);  // a line without arguments leaves the list as it was
    return 0;
  }
  Require(!list.empty());
  for (const std::string& entry : list) Require(entry.find('"') == std::string::npos);
  // The last entry is the file name: empty, or a word that holds a "." (quotes removed).
  const std::string& fileName = list.back();
  Require(fileName.empty() || fileName.find('.') != std::string::npos);
  // Splitting is deterministic: the same line gives the same list again.
  std::vector<std::string> again;
  Require(orvimo::SplitCommandLine(line, again) && again == list);
  return 0;
}
