#include "capture/audio_library.h"

namespace orvimo::capture {

std::string CaptureErrorMessage(int code) {
  switch (static_cast<CaptureErrorCode>(code)) {
    case CaptureErrorCode::Memory:
      return "Insufficient memory!";
    case CaptureErrorCode::Format:
      return "File format not supported!";
    case CaptureErrorCode::NotInitialized:
      return "BASS_RecordInit not called!";
    case CaptureErrorCode::Already:
      return "Recording already in progress!";
    case CaptureErrorCode::NotAvailable:
      return "Recording device not available for use!";
    case CaptureErrorCode::Unknown:
      return "Unknown problem!";
  }
  return "Unknown error!";
}

}  // namespace orvimo::capture
