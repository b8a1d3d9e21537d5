#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "base/sample_format.h"
#include "encoding/file_type.h"

namespace orvimo {

// Where an encoder's output goes: one file, as a stream of appended bytes plus patches of bytes already
// written (FLAC's stream header). Each call reports whether every byte reached the file.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Append(const uint8_t* data, size_t size) = 0;
  virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
  // The bytes the file holds.
  virtual uint64_t Size() const = 0;
};

// The codec refused the format or could not start.
class EncoderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Compresses one file of a recording. It is driven by one thread: Encode as audio arrives, Flush about
// every half second of audio so that everything encodable so far is in the file and a crash loses
// little, and Finish once at the end, which completes the stream (lengths, checksums, end marks).
// Each returns false once the sink has refused a write or the codec failed; the encoder then writes
// nothing more, so the file stays readable up to the failure. An encoder destroyed unfinished writes
// nothing either: the file is then what a crash would leave.
class Encoder {
 public:
  virtual ~Encoder() = default;
  // pcm holds whole frames of the recording's sample format (8-bit unsigned or 16-bit signed
  // little-endian, channels interleaved, left first).
  virtual bool Encode(const uint8_t* pcm, size_t frames) = 0;
  virtual bool Flush() = 0;
  virtual bool Finish() = 0;
  // The most bytes the file can still grow by when that many more frames are encoded and the stream
  // is then finished: what the codec holds, those frames and the stream's end, each at its largest.
  // A size limit is kept by never encoding audio whose worst case would cross it.
  virtual uint64_t MostGrowth(uint64_t frames) const = 0;
};

// The encoder for a compressed type, writing its stream header at once into the sink, which starts
// empty and must outlive every call but the destructor. Throws EncoderError for a
// format the codec cannot take, and std::invalid_argument for WAV and RAW, which need no encoder.
std::unique_ptr<Encoder> MakeEncoder(FileType type, const SampleFormat& format, ByteSink& sink);

}  // namespace orvimo
