// A QImage that shares a TBitmap32's pixels: the layouts are identical, so nothing is copied.
#pragma once

#include <QImage>

#include "controls/bitmap32.h"

namespace orvimo {

inline QImage WrapBuffer(TBitmap32& buffer) {
  return QImage(reinterpret_cast<uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                qsizetype(buffer.Width()) * 4, QImage::Format_ARGB32);
}

// The view a window shows: the colour bits as they are, the alpha byte ignored, as a plain block
// copy to the screen does. Bevels and blends leave alphas below 255 in the buffer; they must not
// make the control see-through.
inline QImage ScreenView(const TBitmap32& buffer) {
  return QImage(reinterpret_cast<const uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                qsizetype(buffer.Width()) * 4, QImage::Format_RGB32);
}

}  // namespace orvimo
