// The least any 50 frames a second meter costs on X on this machine, for the side-by-side comparison
// (bench/compare-recorders --floors): a bare X window, no toolkit, that wakes every 20 ms and puts a
// changing bar of 200 x 8 pixels, sending only the columns that changed. It runs until it is signalled.
#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int kStripWidth = 200;
constexpr int kStripHeight = 8;
constexpr long kFrameNanoseconds = 20'000'000;

void AdvanceFrame(timespec& due) {
  due.tv_nsec += kFrameNanoseconds;
  if (due.tv_nsec >= 1'000'000'000) {
    due.tv_nsec -= 1'000'000'000;
    ++due.tv_sec;
  }
}

int RunXcb() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fputs("orvimo_floor_xcb: no X display\n", stderr);
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, kStripWidth, 40, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
  // The comparison finds the window by its process, as it finds the recorder's.
  const char* pidName = "_NET_WM_PID";
  xcb_intern_atom_reply_t* pidAtom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(pidName)), pidName),
      nullptr);
  if (pidAtom) {
    const uint32_t pid = static_cast<uint32_t>(getpid());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, pidAtom->atom, XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    std::free(pidAtom);
  }
  xcb_map_window(connection, window);
  const xcb_gcontext_t context = xcb_generate_id(connection);
  xcb_create_gc(connection, context, window, 0, nullptr);
  xcb_flush(connection);

  // Only the columns between the last bar's end and this one's are sent: the least a frame can carry.
  std::vector<uint32_t> columns(kStripWidth * kStripHeight);
  int shownLength = 0;
  timespec due{};
  clock_gettime(CLOCK_MONOTONIC, &due);
  for (unsigned frame = 0;; ++frame) {
    AdvanceFrame(due);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
    // A bar whose length differs from one frame to the next, as a meter's does on a varying signal.
    const int length = 20 + static_cast<int>((frame * 37) % (kStripWidth - 20));
    const int first = std::min(length, shownLength);
    const int width = std::max(1, std::abs(length - shownLength));
    for (int row = 0; row < kStripHeight; ++row)
      for (int column = 0; column < width; ++column)
        columns[row * width + column] = first + column < length ? 0x00ff00 : 0x202020;
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, context, static_cast<uint16_t>(width),
                  kStripHeight, static_cast<int16_t>(first), 16, 0, screen->root_depth,
                  static_cast<uint32_t>(width * kStripHeight * sizeof(uint32_t)),
                  reinterpret_cast<const uint8_t*>(columns.data()));
    shownLength = length;
    xcb_flush(connection);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) std::free(event);
    if (xcb_connection_has_error(connection)) return 0;
  }
}

}  // namespace

int main() {
  // Stopped by the comparison's signal, as the recorder is; an end that is not a failure.
  std::signal(SIGTERM, [](int) { _exit(0); });
  return RunXcb();
}
