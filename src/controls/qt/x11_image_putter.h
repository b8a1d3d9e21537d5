// Sends 32-bit pixels straight to a window of the X server, past Qt's painter and backing store.
#pragma once

#include <QRect>

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/bitmap32.h"

namespace orvimo {

class X11ImagePutter {
 public:
  // None unless the program runs on X and the screen takes the buffer's pixels as they are in memory
  // (24 or 32 bits deep, 32 bits a pixel, red-green-blue masks of 0xRRGGBB, the host's byte order).
  static std::unique_ptr<X11ImagePutter> ForThisDisplay();
  ~X11ImagePutter();
  X11ImagePutter(const X11ImagePutter&) = delete;
  X11ImagePutter& operator=(const X11ImagePutter&) = delete;

  // Puts one area of the buffer at the same place of the window. False, with nothing sent, when the
  // window is not as deep as the screen.
  bool Put(uintptr_t window, const TBitmap32& buffer, const QRect& area);
  // Hands what was put to the server now rather than at Qt's next flush.
  void Send();

 private:
  X11ImagePutter(void* connection, uint8_t depth);
  bool ReadyFor(uint32_t window);

  void* connection_;  // Qt's, borrowed
  uint8_t depth_;
  uint32_t window_ = 0;  // the window the graphics context was made for
  uint32_t gc_ = 0;
  bool windowFits_ = false;
  std::vector<TColor32> rows_;  // an area narrower than the buffer, packed
};

}  // namespace orvimo
