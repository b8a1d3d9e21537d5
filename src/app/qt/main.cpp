// The program entry: the real services, the one window and the event loop.
#include <QApplication>
#include <QIcon>

#include <vector>

#include "app/command_line.h"
#include "app/qt/console_session.h"
#include "app/qt/dbus_shutdown.h"
#include "app/qt/ini_settings_backend.h"
#include "app/qt/logind_sleep_inhibitor.h"
#include "app/qt/posix_free_space.h"
#include "app/qt/qt_dialogs.h"
#include "app/qt/qt_window_flasher.h"
#include "app/qt/system_clock.h"
#include "app/qt/termination_signals.h"
#include "app/qt/tfrm_main.h"
#include "capture/audio_backend.h"
#include "controls/qt/buffer_image.h"
#include "controls/qt/system_colors.h"
#include "controls/record_glyph.h"

namespace {

// The installed theme icon where the desktop has it, otherwise the red disc of the record button.
QIcon ProgramIcon() {
  orvimo::TBitmap32 glyph = orvimo::MakeRecordButtonGlyph();
  const QImage redDisc =
      orvimo::WrapBuffer(glyph).copy(0, 0, orvimo::kRecordGlyphCell, orvimo::kRecordGlyphCell);
  return QIcon::fromTheme(QStringLiteral("orvimo2"), QIcon(QPixmap::fromImage(redDisc)));
}

}  // namespace

int main(int argc, char** argv) {
  // No display: the same window and engine record from the command line, reporting on the console.
  if (orvimo::NoDisplayToConnectTo()) return orvimo::RunWithoutDisplay(argc, argv);
  QApplication application(argc, argv);
  // No application display name: Qt would add it to every window's caption ("Orvimo 2.0 — Orvimo 2"),
  // and the captions are the program's own texts. Where a taskbar shows captions it shows these.
  orvimo::InstallQtSystemColorTable();
  application.setWindowIcon(ProgramIcon());

  // What Qt left of the arguments after taking its own, as one line for the command-line splitter.
  std::vector<std::string> arguments(argv, argv + argc);

  // PulseAudio's own client where a server answers, SDL otherwise; ORVIMO_AUDIO_BACKEND forces one.
  const auto audio = orvimo::capture::CreateAudioLibrary();
  orvimo::SystemClock clock;
  orvimo::PosixFreeSpace freeSpace;
  orvimo::QtDialogs dialogs;
  orvimo::QtWindowFlasher flasher;
  orvimo::DbusShutdown shutdown;
  orvimo::LogindSleepInhibitor sleepInhibitor;
  orvimo::IniSettingsBackend settings(orvimo::IniSettingsBackend::DefaultExeName());

  orvimo::TfrmMain window({.audio = *audio,
                           .clock = clock,
                           .freeSpace = freeSpace,
                           .dialogs = dialogs,
                           .flasher = flasher,
                           .shutdown = shutdown,
                           .sleepInhibitor = sleepInhibitor,
                           .settings = settings,
                           .placement = nullptr,
                           .formatSettings = orvimo::FormatSettings::FromSystem(),
                           .commandLine = orvimo::JoinCommandLine(arguments)});
  dialogs.SetOwner(&window);
  flasher.SetWindow(&window);
  orvimo::TerminationSignals terminationSignals([&window] { window.CloseOnTermination(); });
  // The program ends with its window, also while an alert of its own is still open.
  QObject::connect(&window, &orvimo::TfrmMain::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  return application.exec();
}
