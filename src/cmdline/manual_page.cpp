#include "cmdline/manual_page.h"

#include "base/program_version.h"
#include "cmdline/usage.h"

namespace orvimo {

namespace {

// Text for a roff text line: backslashes written as such, a dash that begins a word as a minus sign
// (options are typed with it), and a line that would begin with a control character kept as text.
std::string Escape(const std::string& text) {
  std::string out;
  char previous = ' ';
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && (previous == ' ' || previous == '-' || previous == '"' || previous == '(')) {
      out += "\\-";
    } else {
      out += c;
    }
    previous = c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// Every dash of an option term is a minus sign.
std::string EscapeTerm(const std::string& term) {
  std::string out;
  for (char c : term) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

void AppendItems(std::string& out, const std::vector<UsageItem>& items) {
  for (const UsageItem& item : items) {
    out += ".TP\n";
    std::string head;
    if (!item.term.empty()) head = "\\fB" + EscapeTerm(item.term) + "\\fR";
    if (!item.term.empty() && !item.value.empty()) head += ' ';
    if (!item.value.empty()) head += "\\fI" + item.value + "\\fR";
    out += head + '\n' + Escape(item.meaning) + '\n';
  }
}

void AppendExample(std::string& out, const std::string& what, const std::string& command) {
  out += ".PP\n" + Escape(what) + "\n.PP\n.RS\n.EX\n" + Escape(command) + "\n.EE\n.RE\n";
}

const char* const kDescription =
    "orvimo2 records sound from a recording device into PCM WAV files, or FLAC, Opus or MP3, from one compact "
    "window: a record button, the recorded time and the recording time still free on the disk, a level "
    "meter, the device and format, the output file name and a scheduler that starts and stops recordings "
    "unattended and then does nothing, shows an alert, starts the next file or powers the computer off. "
    "The same can be given on the command line.";

const char* const kCaptureNote =
    "Capture goes through PulseAudio (or PipeWire's PulseAudio server) where one answers, otherwise through "
    "SDL. While a recording runs or a start waits, the login manager is asked to keep the computer from "
    "going to sleep. The file header is brought up to date after every half second of audio (a compressed "
    "stream is written out as often), so a crash loses at most about the last half second, and a "
    "recording past 4 GiB goes on without a gap into \"take (2).wav\", \"take (3).wav\", ...";

void AppendExamples(std::string& out) {
  out += ".SH EXAMPLES\n";
  AppendExample(out, "A show tonight from 22:00 to 23:30, into a file named after the date, with an alert afterwards:",
                "orvimo2 -s 22:00 -e 23:30 -a alert -norec \"$HOME/Radio/Show [yyyy-mm-dd].wav\"");
  AppendExample(out, "A whole day in one-hour FLAC files (day_1.flac now, then the next file at once after every hour):",
                "orvimo2 -m 60 minutes -a new \"$HOME/Recordings/day_[i].flac\"");
  AppendExample(out, "A two-hour recording on Christmas Eve at 20:00, then power the computer off:",
                "orvimo2 -s 2026-12-24 20:00 -m 2 hours -a shutdown -norec \"$HOME/Radio/christmas.wav\"");
  AppendExample(out, "Without a display, one minute into take.wav, then end:", "orvimo2 -m 1 minutes -a none take.wav");
  AppendExample(out, "The show every weekday at 22:00 for 90 minutes, from a systemd user timer:",
                "systemd-run --user --unit=radio-show --on-calendar='Mon..Fri 22:00' \\\n"
                "    /usr/bin/orvimo2 -m 90 minutes -a none \"$HOME/Radio/Show [yyyy-mm-dd].wav\"");
}

}  // namespace

std::string ManualPage(const std::string& date) {
  const UsageText usage = Usage(CommandLinePlatform::kPosix);
  std::string out = ".TH ORVIMO2 1 \"" + date + "\" \"orvimo2 " ORVIMO_VERSION "\" \"User Commands\"\n";
  out += ".SH NAME\norvimo2 \\- record sound into WAV, FLAC, Opus or MP3 files, by hand or on a schedule\n";
  out += ".SH SYNOPSIS\n.B orvimo2\n[\\fIOPTION\\fR]... [\\fIFILE\\fR]\n.br\n.B orvimo2 \\-\\-help\n.br\n"
         ".B orvimo2 \\-\\-version\n";
  out += ".SH DESCRIPTION\n" + Escape(kDescription) + "\n.PP\n" + Escape(kCaptureNote) + "\n";
  out += ".SH OPTIONS\n" + Escape(usage.introduction) + "\n";
  AppendItems(out, usage.options);
  out += ".SH \"FILE NAME TEMPLATE\"\n" + Escape(usage.templateIntroduction) + "\n";
  AppendItems(out, usage.templateGroups);
  out += ".SH \"RUNNING WITHOUT A DISPLAY\"\n" + Escape(usage.withoutDisplay) + "\n";
  out += ".SH \"EXIT STATUS\"\n";
  AppendItems(out, usage.exitStatuses);
  out += ".PP\n" + Escape("--help and --version exit with 0.") + "\n";
  out += ".SH FILES\n.TP\n.I ~/.config/orvimo2/orvimo2.ini\n" + Escape(usage.settings) +
         " Delete it to start with the defaults.\n";
  out += ".SH ENVIRONMENT\n.TP\n.B ORVIMO_AUDIO_BACKEND\n\"pulse\" or \"sdl\" forces that way of capture.\n"
         ".TP\n.BR DISPLAY \", \" WAYLAND_DISPLAY\nWith neither set, orvimo2 records without a window.\n";
  AppendExamples(out);
  out += ".SH \"SEE ALSO\"\n.BR pactl (1),\n.BR systemd-run (1),\n.BR systemd-inhibit (1),\n.BR crontab (5)\n";
  return out;
}

}  // namespace orvimo
