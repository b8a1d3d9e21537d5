#include "cmdline/usage.h"

#include <sstream>
#include <string_view>

#include "base/program_version.h"
#include "cmdline/cl_parser.h"
#include "cmdline/options.h"

namespace orvimo {

namespace {

ProgramInfoRequest RequestOfEntry(const std::string& entry) {
  const std::string name = LowerCase(entry.substr(0, entry.find('=')));
  if (name == "help" || name == "h" || name == "?") return ProgramInfoRequest::kHelp;
  if (name == "version") return ProgramInfoRequest::kVersion;
  return ProgramInfoRequest::kNone;
}

// The names as written on Linux ("-b", "--help"); on Windows every one begins with a single "/".
std::string OptionTerm(CommandLinePlatform platform, std::initializer_list<std::string_view> names) {
  std::string term;
  for (std::string_view name : names) {
    if (!term.empty()) term += ", ";
    if (platform == CommandLinePlatform::kWindows) {
      name.remove_prefix(name.find_first_not_of('-'));
      term += '/';
    }
    term += name;
  }
  return term;
}

}  // namespace

ProgramInfoRequest FindProgramInfoRequest(const std::string& commandLine) {
  std::vector<std::string> entries;
  if (!SplitCommandLine(commandLine, entries)) return ProgramInfoRequest::kNone;
  entries.pop_back();  // the file name, never an option
  ProgramInfoRequest found = ProgramInfoRequest::kNone;
  for (const std::string& entry : entries) {
    const ProgramInfoRequest request = RequestOfEntry(entry);
    if (request == ProgramInfoRequest::kHelp) return request;
    if (request != ProgramInfoRequest::kNone) found = request;
  }
  return found;
}

UsageText Usage(CommandLinePlatform platform) {
  const bool windows = platform == CommandLinePlatform::kWindows;
  const auto term = [platform](std::initializer_list<std::string_view> names) { return OptionTerm(platform, names); };
  UsageText usage;
  usage.introduction = std::string("Options begin with \"-\"") +
                       (windows ? " or \"/\"" : " (or \"--\")") +
                       "; a value runs up to the next option and may hold blanks. The last word is the file to "
                       "record into when it holds a \".\", and the recording then starts at once. With more "
                       "than two entries (options and the file name) the stored settings are neither read "
                       "nor written.";
  usage.options = {
      {term({"-b", "-bits"}), "BITS", "sample size: 8 or 16 (default 16)"},
      {term({"-c", "-channels"}), "N", "channels: 1 mono, 2 stereo (default 2)"},
      {term({"-f", "-freq"}), "HZ", "sample rate (default 44100)"},
      {term({"-t", "-type"}), "TYPE",
       "file type: wav, raw (PCM without a header), flac, opus (96 kbit/s stereo, 64 mono) or mp3 (192 "
       "kbit/s stereo, 128 mono); a file name ending in .wav, .raw, .flac, .opus or .mp3 chooses it too, "
       "and where the two differ this option wins and the name takes its extension (default: the window's, "
       "first WAV)"},
      {term({"-d", "-device"}), "N", "device number for the audio library (default -1)"},
      {term({"-a", "-after"}), "ACTION",
       "after a scheduled stop: \"alert\" shows an alert, \"new\" starts the next file, \"shutdown\" powers "
       "the computer off; otherwise nothing"},
      {term({"-s", "-start"}), "WHEN",
       "start at that local time: \"2026-12-24 20:00\", \"21:30\", \"7 20:00\" (day 7), \"30\" (minute 30 "
       "of this hour)"},
      {term({"-e", "-end", "-stop"}), "WHEN", "stop at that time, written as for the start"},
      {term({"-m", "-max"}), "LIMIT", "stop after a size or a time: \"700\" (MB), \"90 minutes\", \"2 hours\""},
      {term({"-norec"}), "", "put the file name in place, but do not start recording"},
      {term({"-h", "--help", "-?"}), "", "show this help and exit"},
      {term({"--version"}), "", "show the version and exit"},
      {"", "FILE", "the file to record into, a template (below)"},
  };
  usage.templateIntroduction =
      "In the file name, \"[i]\" is the number of the recording in this run and every other bracketed "
      "group is a date and time format, with an optional zero-pad width in front or behind:";
  usage.templateGroups = {
      {"[i]", "", "1, 2, ... for each recording of the run"},
      {"[yyyy] [yy]", "", "the year"},
      {"[mm] [mmm] [mmmm]", "", "the month: number, short and long name"},
      {"[dd] [ddd] [dddd]", "", "the day: number, short and long weekday name"},
      {"[hh] [nn] [ss]", "", "hour, minute, second (\"m\" right after an hour is minutes)"},
      {"[yyyy-mm-dd]", "", "fields and other characters in one group: 2026-12-24"},
      {"[3d]", "", "the day padded to 3 digits: 006"},
  };
  if (!windows) {
    usage.withoutDisplay =
        "With neither DISPLAY nor WAYLAND_DISPLAY set, or when the display they name does not answer, "
        "orvimo2 records without a window: the same options, "
        "files and schedule, the progress on the standard output and the reasons of failures on the "
        "standard error. It ends once nothing is left to do; Ctrl+C, SIGTERM and SIGHUP complete the file "
        "and end it.";
    usage.exitStatuses = {
        {"0", "", "every recording it made was completed, also when a signal ended it"},
        {"1", "", "a start failed or an error ended a recording"},
        {"2", "", "nothing to record: no file name, or -norec without a start time"},
    };
  }
  usage.settings = windows ? "The settings live in the registry, under "
                             "HKEY_CURRENT_USER\\Software\\<program name>\\TfrmMain (orvimo2 for orvimo2.exe)."
                           : "The settings live in ~/.config/orvimo2/orvimo2.ini ($XDG_CONFIG_HOME/orvimo2/ when "
                             "that is set): the window position and the format and scheduler choices.";
  return usage;
}

namespace {

constexpr std::size_t kLineWidth = 79;
constexpr std::size_t kTermWidth = 24;

// Appends text word by word, each line starting with indent blanks; the first line continues what is
// already in the current line, which is column firstColumn.
void AppendWrapped(std::string& out, const std::string& text, std::size_t indent, std::size_t firstColumn) {
  std::istringstream words(text);
  std::size_t column = firstColumn;
  std::string word;
  bool lineEmpty = true;
  while (words >> word) {
    if (!lineEmpty && column + 1 + word.size() > kLineWidth) {
      out += '\n' + std::string(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineEmpty = false;
  }
  out += '\n';
}

void AppendItems(std::string& out, const std::vector<UsageItem>& items) {
  for (const UsageItem& item : items) {
    std::string head = "  " + item.term;
    if (!item.term.empty() && !item.value.empty()) head += ' ';
    head += item.value;
    out += head;
    if (head.size() + 1 > kTermWidth) {
      out += '\n' + std::string(kTermWidth, ' ');
    } else {
      out += std::string(kTermWidth - head.size(), ' ');
    }
    AppendWrapped(out, item.meaning, kTermWidth, kTermWidth);
  }
}

}  // namespace

std::string HelpText(CommandLinePlatform platform) {
  const UsageText usage = Usage(platform);
  const std::string program = platform == CommandLinePlatform::kWindows ? "orvimo2.exe" : "orvimo2";
  std::string out = "Usage: " + program + " [OPTION]... [FILE]\nRecords sound into WAV, FLAC, Opus or MP3 files.\n\n";
  AppendWrapped(out, usage.introduction, 0, 0);
  out += "\nOptions:\n";
  AppendItems(out, usage.options);
  out += '\n';
  AppendWrapped(out, usage.templateIntroduction, 0, 0);
  AppendItems(out, usage.templateGroups);
  if (!usage.withoutDisplay.empty()) {
    out += '\n';
    AppendWrapped(out, usage.withoutDisplay, 0, 0);
    out += "Its exit status:\n";
    AppendItems(out, usage.exitStatuses);
  }
  out += '\n';
  AppendWrapped(out, usage.settings, 0, 0);
  return out;
}

std::string ProgramInfoText(const std::string& commandLine, CommandLinePlatform platform) {
  switch (FindProgramInfoRequest(commandLine)) {
    case ProgramInfoRequest::kHelp:
      return HelpText(platform);
    case ProgramInfoRequest::kVersion:
      return VersionText();
    case ProgramInfoRequest::kNone:
      break;
  }
  return {};
}

std::string VersionText() { return std::string("orvimo2 ") + ORVIMO_VERSION + "\n"; }

}  // namespace orvimo
