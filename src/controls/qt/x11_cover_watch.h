// Tells when the X server says a window is wholly covered by other windows, and when part of it shows
// again. Qt keeps such a window "exposed", so without this a screen locker's window, or another
// program's window over the recorder, would leave the meter drawing fifty times a second for nobody.
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <memory>

namespace orvimo {

class X11CoverWatch : public QAbstractNativeEventFilter {
 public:
  // None unless the program runs on X. changed(covered) runs on the GUI thread, from inside Qt's event
  // handling, on each change the server reports.
  static std::unique_ptr<X11CoverWatch> ForWindow(uintptr_t window,
                                                  std::function<void(bool covered)> changed);
  ~X11CoverWatch() override;
  X11CoverWatch(const X11CoverWatch&) = delete;
  X11CoverWatch& operator=(const X11CoverWatch&) = delete;

  bool Covered() const { return covered_; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  X11CoverWatch(uint32_t window, std::function<void(bool covered)> changed);

  const uint32_t window_;
  const std::function<void(bool covered)> changed_;
  bool covered_ = false;
};

}  // namespace orvimo
