// The program entry: the real services, the one window and the event loop.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "app/qt/console_session.h"
#include "app/qt/desktop_notifications.h"
#include "app/qt/display_probe.h"
#include "app/qt/program_services.h"
#include "app/qt/qt_dialogs.h"
#include "app/qt/qt_window_flasher.h"
#include "app/qt/screen_presence.h"
#include "app/qt/termination_signals.h"
#include "app/qt/tfrm_main.h"
#include "cmdline/usage.h"
#include "controls/qt/buffer_image.h"
#include "controls/qt/system_colors.h"
#include "controls/record_glyph.h"
#include "recording/recorder.h"

namespace {

// The installed theme icon where the desktop has it, otherwise the red disc of the record button.
QIcon ProgramIcon() {
  orvimo::TBitmap32 glyph = orvimo::MakeRecordButtonGlyph();
  const QImage redDisc =
      orvimo::WrapBuffer(glyph).copy(0, 0, orvimo::kRecordGlyphCell, orvimo::kRecordGlyphCell);
  return QIcon::fromTheme(QStringLiteral("orvimo2"), QIcon(QPixmap::fromImage(redDisc)));
}

// Qt ends the program with exit() when its connection to the X server breaks, as at a logout. Nothing
// on main's stack is destroyed then, so a running recording would be left as a crash leaves it (no FLAC
// checksum, no Opus end, a header up to half a second behind). This completes it first. It is armed
// only while the event loop runs: after main returns the window no longer exists. (Qt's Wayland
// platform ends with _exit when the compositor goes away, where no handler runs.)
class LostDisplayGuard {
 public:
  LostDisplayGuard(orvimo::TfrmMain& window, orvimo::QtDialogs& dialogs) {
    window_ = &window;
    dialogs_ = &dialogs;
    [[maybe_unused]] static const int registered = std::atexit(&CloseWindow);
  }
  ~LostDisplayGuard() { window_ = nullptr; }
  LostDisplayGuard(const LostDisplayGuard&) = delete;
  LostDisplayGuard& operator=(const LostDisplayGuard&) = delete;

 private:
  static void CloseWindow() {
    orvimo::TfrmMain* window = std::exchange(window_, nullptr);
    if (window == nullptr) return;
    dialogs_->SetWithoutDisplay();
    window->CloseAfterLostDisplay();
  }

  static inline orvimo::TfrmMain* window_ = nullptr;
  static inline orvimo::QtDialogs* dialogs_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  // The help and the version answer before anything else starts: no display, sound server or settings.
  const std::string info = orvimo::ProgramInfoText(orvimo::JoinCommandLine({argv, argv + argc}),
                                                   orvimo::CommandLinePlatform::kPosix);
  if (!info.empty()) return std::fputs(info.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
  // No display that answers: the same window and engine record from the command line, reporting on
  // the console.
  const orvimo::DisplayChoice display = orvimo::ChooseDisplay(orvimo::ProbeDisplays());
  if (!display.message.empty()) orvimo::LogFault(display.message);
  if (!display.withWindow) return orvimo::RunWithoutDisplay(argc, argv);
  if (!display.platforms.empty()) qputenv("QT_QPA_PLATFORM", display.platforms.c_str());
  // The meter sends a small picture fifty times a second. Through shared memory Qt waits for the X
  // server to finish with the last one before it paints the next (a round trip per frame, and a second
  // wake-up for the server's answer); sent over the socket, a few kilobytes cost less. A user's own
  // setting of the variable is kept.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  // The meter has a window of its own on X; its neighbours need none.
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication application(argc, argv);
  // No application display name: Qt would add it to every window's caption ("Orvimo 2.0 — Orvimo 2"),
  // and the captions are the program's own texts. Where a taskbar shows captions it shows these.
  orvimo::InstallQtSystemColorTable();
  application.setWindowIcon(ProgramIcon());

  orvimo::ProgramServices services;
  orvimo::QtDialogs dialogs;
  orvimo::DesktopNotifications notifications;
  orvimo::QtWindowFlasher flasher(nullptr, &notifications);
  orvimo::TfrmMain window(services.With(dialogs, flasher, argc, argv));
  dialogs.SetOwner(&window);
  flasher.SetWindow(&window);
  orvimo::TerminationSignals terminationSignals([&window] { window.CloseOnTermination(); });
  // The program ends with its window, also while an alert of its own is still open.
  QObject::connect(&window, &orvimo::TfrmMain::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  // While nothing of the window is shown, the meter sleeps and the capture's deliveries grow.
  orvimo::ScreenPresence presence(window, [&window](bool shown) { window.SetScreenShown(shown); });
  const LostDisplayGuard lostDisplay(window, dialogs);
  return application.exec();
}
