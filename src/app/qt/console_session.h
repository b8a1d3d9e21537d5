#pragma once

#include <QObject>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "app/console_report.h"
#include "app/dialogs.h"
#include "app/window_flasher.h"

namespace orvimo {

class TfrmMain;

// The program without a window: the same window and engine on Qt's offscreen platform, reporting on the
// console. Returns the exit status.
int RunWithoutDisplay(int argc, char** argv);

// The window's boxes on a console. Errors reach stderr through the window's error guard already; they
// are kept here for the exit status and the event log. The alert becomes a line on stderr.
class ConsoleDialogs : public Dialogs {
 public:
  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  void ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) override;
  std::optional<std::string> AskSaveFileName(const std::string&) override { return std::nullopt; }

  // The errors and warnings met since the last call.
  std::vector<std::string> TakeProblems();

 private:
  std::vector<std::string> problems_;
};

// No window to flash.
class NoWindowFlasher : public WindowFlasher {
 public:
  void FlashAppWindow(int) override {}
};

// Once a second: the progress line on a terminal, else one line per event; and the end of the program
// once nothing is left to do (no recording, no start armed), with status 0 when every recording was
// completed, 1 when a start failed or an error ended one, 2 when nothing was recorded at all.
class ConsoleReporter : public QObject {
 public:
  ConsoleReporter(TfrmMain& window, ConsoleDialogs& dialogs, bool terminal, std::FILE* out);

  // The window has closed (a termination signal): the last look, and the line ended.
  void Finish();
  int ExitStatus() const;

 private:
  void Look();
  ConsoleStatus Show();
  void StopWhatNobodyCanResume(ConsoleStatus& status);
  void Print(const std::string& line);

  TfrmMain& window_;
  ConsoleDialogs& dialogs_;
  const bool terminal_;
  std::FILE* out_;
  QTimer timer_;
  ConsoleStatus shown_;
  bool failed_ = false;
  bool hadWork_ = false;  // recorded or waited at some point
  bool finished_ = false;
};

}  // namespace orvimo
