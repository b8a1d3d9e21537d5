#include "app/qt/console_session.h"

#include <QApplication>
#include <QByteArray>

#include <unistd.h>

#include <algorithm>

#include "app/qt/program_services.h"
#include "app/qt/termination_signals.h"
#include "app/qt/tfrm_main.h"
#include "recording/recorder.h"

namespace orvimo {

namespace {

constexpr int kLookIntervalMs = 1000;
constexpr int kNothingToRecord = 2;

// "\n\r" inside a box's text is one break; on a console line it is a blank.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::erase(text, '\r');
  return text;
}

}  // namespace

void ConsoleDialogs::ShowError(const std::string& text) { problems_.push_back(text); }

void ConsoleDialogs::ShowWarning(const std::string& text) {
  LogFault(OneLine(text));
  problems_.push_back(OneLine(text));
}

void ConsoleDialogs::ShowAlert(const std::string& text, const std::string& title,
                               std::function<void()> onClosed) {
  LogFault(title + ": " + text);
  if (onClosed) onClosed();
}

std::vector<std::string> ConsoleDialogs::TakeProblems() { return std::exchange(problems_, {}); }

ConsoleReporter::ConsoleReporter(TfrmMain& window, ConsoleDialogs& dialogs, bool terminal, std::FILE* out)
    : window_(window), dialogs_(dialogs), terminal_(terminal), out_(out) {
  timer_.setInterval(kLookIntervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
  timer_.start();
  QTimer::singleShot(0, this, [this] { Look(); });
}

void ConsoleReporter::Look() {
  if (finished_) return;
  const ConsoleStatus status = Show();
  if (status.recording || status.waiting) return;
  // Nothing left: the when-finished action has run within the tick that stopped the recording. The
  // window closes as a user's would, saving the settings; its close ends the program.
  if (!hadWork_ && !failed_) {
    LogFault("Nothing to record: give an output file name, and a start time (-s) with -norec.");
  }
  timer_.stop();
  window_.close();
}

ConsoleStatus ConsoleReporter::Show() {
  for (const std::string& problem : dialogs_.TakeProblems()) {
    failed_ = true;
    if (!terminal_) Print("error: " + problem);
  }
  ConsoleStatus status = window_.ConsoleSnapshot();
  StopWhatNobodyCanResume(status);
  hadWork_ = hadWork_ || status.recording || status.waiting;
  if (terminal_) {
    std::fprintf(out_, "\r%s\x1b[K", ProgressLine(status).c_str());
    std::fflush(out_);
  } else {
    for (const std::string& line : EventLines(shown_, status)) Print(line);
  }
  shown_ = status;
  return status;
}

// A recording paused without a window was paused by the disk guard or a failed write, and nobody can
// resume it: it is completed and counts as ended by an error.
void ConsoleReporter::StopWhatNobodyCanResume(ConsoleStatus& status) {
  if (!status.recording || !status.paused) return;
  LogFault("The recording was paused and cannot be resumed without a window: it is stopped.");
  failed_ = true;
  try {
    window_.StopRecording();
  } catch (const std::exception& error) {
    LogFault(error.what());
  }
  status = window_.ConsoleSnapshot();
}

void ConsoleReporter::Finish() {
  if (finished_) return;
  Show();
  finished_ = true;
  timer_.stop();
  if (terminal_) std::fputc('\n', out_);
  std::fflush(out_);
}

int ConsoleReporter::ExitStatus() const {
  if (failed_) return 1;
  return hadWork_ ? 0 : kNothingToRecord;
}

void ConsoleReporter::Print(const std::string& line) {
  std::fprintf(out_, "%s %s\n", LocalTimeStamp().c_str(), line.c_str());
  std::fflush(out_);
}

int RunWithoutDisplay(int argc, char** argv) {
  // Decided here, not by the user: Qt draws the window into memory only.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  // The program ends with the status the reporter gives, not with the closed window's plain quit.
  application.setQuitOnLastWindowClosed(false);
  ProgramServices services;
  ConsoleDialogs dialogs;
  NoWindowFlasher flasher;
  TfrmMain window(services.With(dialogs, flasher, argc, argv));
  window.RunWithoutDisplay();
  // Shown, though nobody sees it: the stored settings are restored at the first show, as with a screen.
  window.show();
  ConsoleReporter reporter(window, dialogs, ::isatty(STDOUT_FILENO) != 0, stdout);
  TerminationSignals terminationSignals([&window] { window.CloseOnTermination(); });
  // The window closes when nothing is left to do, or on a termination signal with its file completed.
  QObject::connect(
      &window, &TfrmMain::closed, &reporter,
      [&reporter] {
        reporter.Finish();
        QCoreApplication::exit(reporter.ExitStatus());
      },
      Qt::QueuedConnection);
  return application.exec();
}

}  // namespace orvimo
