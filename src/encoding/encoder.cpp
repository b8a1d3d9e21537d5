#include "encoding/encoder.h"

#include "encoding/flac_encoder.h"
#include "encoding/mp3_encoder.h"
#include "encoding/opus_encoder.h"

namespace orvimo {

std::unique_ptr<Encoder> MakeEncoder(FileType type, const SampleFormat& format, ByteSink& sink) {
  if (format.rate == 0 || (format.channels != 1 && format.channels != 2) ||
      (format.bits != 8 && format.bits != 16)) {
    throw EncoderError("The sample format cannot be encoded");
  }
  switch (type) {
    case FileType::Flac:
      return MakeFlacEncoder(format, sink);
    case FileType::Opus:
      return MakeOpusEncoder(format, sink);
    case FileType::Mp3:
      return MakeMp3Encoder(format, sink);
    case FileType::Wav:
    case FileType::Raw:
      break;
  }
  throw std::invalid_argument("PCM types are written without an encoder");
}

}  // namespace orvimo
