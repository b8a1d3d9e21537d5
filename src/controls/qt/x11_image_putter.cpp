#include "controls/qt/x11_image_putter.h"

#include <QGuiApplication>

#include <algorithm>
#include <bit>

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace orvimo {

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)

namespace {

xcb_connection_t* Connection(void* connection) { return static_cast<xcb_connection_t*>(connection); }

bool TakesPixelsAsInMemory(const xcb_setup_t* setup, const xcb_screen_t* screen) {
  if (std::endian::native != std::endian::little || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    return false;
  }
  const uint8_t depth = screen->root_depth;
  if (depth != 24 && depth != 32) return false;
  bool fourBytes = false;
  for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format)) {
    if (format.data->depth == depth) fourBytes = format.data->bits_per_pixel == 32;
  }
  for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
    for (auto visual = xcb_depth_visuals_iterator(depths.data); visual.rem; xcb_visualtype_next(&visual)) {
      if (visual.data->visual_id != screen->root_visual) continue;
      return fourBytes && visual.data->red_mask == 0xFF0000 && visual.data->green_mask == 0xFF00 &&
             visual.data->blue_mask == 0xFF;
    }
  }
  return false;
}

}  // namespace

std::unique_ptr<X11ImagePutter> X11ImagePutter::ForThisDisplay() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return nullptr;
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (!screen || !TakesPixelsAsInMemory(setup, screen)) return nullptr;
  return std::unique_ptr<X11ImagePutter>(new X11ImagePutter(connection, screen->root_depth));
}

X11ImagePutter::X11ImagePutter(void* connection, uint8_t depth) : connection_(connection), depth_(depth) {}

X11ImagePutter::~X11ImagePutter() {
  if (gc_ != 0) xcb_free_gc(Connection(connection_), gc_);
}

// A window Qt made anew is asked for its depth once; Qt gives a see-through window a deeper visual.
bool X11ImagePutter::ReadyFor(uint32_t window) {
  if (window == window_) return windowFits_;
  xcb_connection_t* connection = Connection(connection_);
  window_ = window;
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
  windowFits_ = geometry && geometry->depth == depth_;
  free(geometry);
  if (windowFits_ && gc_ == 0) {
    gc_ = xcb_generate_id(connection);
    // No graphics-exposure events: the pixels come from memory, never from another window.
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  }
  return windowFits_;
}

bool X11ImagePutter::Put(uintptr_t window, const TBitmap32& buffer, const QRect& area) {
  if (!ReadyFor(static_cast<uint32_t>(window))) return false;
  const QRect inside = area.intersected(QRect(0, 0, buffer.Width(), buffer.Height()));
  if (inside.isEmpty()) return true;
  xcb_connection_t* connection = Connection(connection_);
  const int rowBytes = inside.width() * 4;
  // A request holds at most the server's maximum length; taller areas go in bands.
  const int maxRows = std::max(1, static_cast<int>((xcb_get_maximum_request_length(connection) * 4 - 64) /
                                                   static_cast<uint32_t>(rowBytes)));
  for (int top = inside.top(); top <= inside.bottom(); top += maxRows) {
    const int rows = std::min(maxRows, inside.bottom() + 1 - top);
    const TColor32* first = buffer.Bits() + static_cast<size_t>(top) * buffer.Width() + inside.left();
    const TColor32* data = first;
    if (inside.width() != buffer.Width()) {
      rows_.resize(static_cast<size_t>(rows) * inside.width());
      for (int row = 0; row < rows; ++row) {
        std::copy_n(first + static_cast<size_t>(row) * buffer.Width(), inside.width(),
                    rows_.begin() + static_cast<std::ptrdiff_t>(row) * inside.width());
      }
      data = rows_.data();
    }
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(inside.width()),
                  static_cast<uint16_t>(rows), static_cast<int16_t>(inside.left()), static_cast<int16_t>(top),
                  0, depth_, static_cast<uint32_t>(rows * rowBytes), reinterpret_cast<const uint8_t*>(data));
  }
  return true;
}

void X11ImagePutter::Send() { xcb_flush(Connection(connection_)); }

#else

std::unique_ptr<X11ImagePutter> X11ImagePutter::ForThisDisplay() { return nullptr; }
X11ImagePutter::X11ImagePutter(void* connection, uint8_t depth) : connection_(connection), depth_(depth) {}
X11ImagePutter::~X11ImagePutter() = default;
bool X11ImagePutter::Put(uintptr_t, const TBitmap32&, const QRect&) { return false; }
void X11ImagePutter::Send() {}

#endif

}  // namespace orvimo
