#include "decoders.h"

#include <FLAC/stream_decoder.h>
#include <lame/lame.h>
#include <opusfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace orvimo {
namespace {

struct FlacReader {
  const std::vector<uint8_t>& file;
  size_t position = 0;
  DecodedAudio audio;
  bool error = false;
};

FLAC__StreamDecoderReadStatus ReadFlac(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                       void* client) {
  auto& reader = *static_cast<FlacReader*>(client);
  *bytes = std::min(*bytes, reader.file.size() - reader.position);
  std::memcpy(buffer, reader.file.data() + reader.position, *bytes);
  reader.position += *bytes;
  return *bytes ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}

FLAC__StreamDecoderWriteStatus WriteFlac(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                         const FLAC__int32* const channels[], void* client) {
  auto& audio = static_cast<FlacReader*>(client)->audio;
  for (uint32_t i = 0; i < frame->header.blocksize; ++i) {
    for (uint32_t c = 0; c < frame->header.channels; ++c) audio.samples.push_back(channels[c][i]);
  }
  return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void FlacMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client) {
  if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
  const auto& info = metadata->data.stream_info;
  auto& audio = static_cast<FlacReader*>(client)->audio;
  audio.rate = info.sample_rate;
  audio.channels = static_cast<int>(info.channels);
  audio.headerFrames = info.total_samples;
  audio.headerHasMd5 =
      std::any_of(std::begin(info.md5sum), std::end(info.md5sum), [](uint8_t b) { return b != 0; });
}

void FlacError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* client) {
  static_cast<FlacReader*>(client)->error = true;
}

}  // namespace

DecodedAudio DecodeFlac(const std::vector<uint8_t>& file) {
  FlacReader reader{file, 0, {}, false};
  std::unique_ptr<FLAC__StreamDecoder, void (*)(FLAC__StreamDecoder*)> decoder(FLAC__stream_decoder_new(),
                                                                               &FLAC__stream_decoder_delete);
  FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
  if (FLAC__stream_decoder_init_stream(decoder.get(), &ReadFlac, nullptr, nullptr, nullptr, nullptr,
                                       &WriteFlac, &FlacMetadata, &FlacError,
                                       &reader) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
    return {};
  }
  const bool read = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
  // Finishing compares the MD5 of what was decoded with STREAMINFO's, where it is set.
  const bool md5Matches = FLAC__stream_decoder_finish(decoder.get());
  reader.audio.ok = read && md5Matches && !reader.error;
  return reader.audio;
}

DecodedAudio DecodeOpus(const std::vector<uint8_t>& file) {
  DecodedAudio audio;
  int error = 0;
  std::unique_ptr<OggOpusFile, void (*)(OggOpusFile*)> opus(op_open_memory(file.data(), file.size(), &error),
                                                            &op_free);
  if (!opus) return audio;
  audio.rate = 48000;
  audio.channels = op_channel_count(opus.get(), -1);
  std::vector<opus_int16> buffer(5760 * 2);
  for (;;) {
    const int frames = op_read(opus.get(), buffer.data(), static_cast<int>(buffer.size()), nullptr);
    if (frames < 0) return audio;
    if (frames == 0) break;
    audio.samples.insert(audio.samples.end(), buffer.begin(), buffer.begin() + frames * audio.channels);
  }
  audio.ok = true;
  return audio;
}

DecodedAudio DecodeMp3(const std::vector<uint8_t>& file) {
  DecodedAudio audio;
  std::unique_ptr<hip_global_flags, int (*)(hip_t)> hip(hip_decode_init(), &hip_decode_exit);
  // Fed in small pieces: one call decodes every frame its input completes, into buffers it trusts to be
  // large enough.
  constexpr size_t kPiece = 512;
  std::vector<short> left(16 * 1152), right(16 * 1152);
  for (size_t offset = 0; offset < file.size(); offset += kPiece) {
    mp3data_struct header{};
    auto* piece = const_cast<unsigned char*>(file.data() + offset);
    const int frames = hip_decode_headers(hip.get(), piece, std::min(kPiece, file.size() - offset),
                                          left.data(), right.data(), &header);
    if (frames < 0) return audio;
    if (header.header_parsed) {
      audio.rate = static_cast<uint32_t>(header.samplerate);
      audio.channels = header.stereo;
    }
    for (int i = 0; i < frames; ++i) {
      audio.samples.push_back(left[i]);
      if (audio.channels == 2) audio.samples.push_back(right[i]);
    }
  }
  audio.ok = audio.channels > 0;
  return audio;
}

DecodedAudio DecodeFile(FileType type, const std::vector<uint8_t>& file) {
  switch (type) {
    case FileType::Flac:
      return DecodeFlac(file);
    case FileType::Opus:
      return DecodeOpus(file);
    default:
      return DecodeMp3(file);
  }
}

}  // namespace orvimo
