// A QImage that shares a TBitmap32's pixels: the layouts are identical, so nothing is copied.
#pragma once

#include <QImage>

#include "controls/bitmap32.h"

namespace orvimo {

inline QImage WrapBuffer(TBitmap32& buffer) {
  return QImage(reinterpret_cast<uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                qsizetype(buffer.Width()) * 4, QImage::Format_ARGB32);
}

inline QImage WrapBuffer(const TBitmap32& buffer) {
  return QImage(reinterpret_cast<const uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                qsizetype(buffer.Width()) * 4, QImage::Format_ARGB32);
}

}  // namespace orvimo
