#include "cmdline/cl_parser.h"

#include <algorithm>

namespace orvimo {

namespace {

// Every decision is made on the scan copy S; entries are cut from the line L at the same positions, so
// they keep their real blanks and slashes. S and L always have the same length.
struct WorkingCopies {
  std::string line;
  std::string scan;
};

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool IsOptionMark(char c) { return c == '-' || c == '/'; }

void RemoveQuotes(std::string& text) { text.erase(std::remove(text.begin(), text.end(), '"'), text.end()); }

// Blanks inside double quotes become "_" and a "/" after a blank outside them becomes "-", so later
// steps only look for blanks and dashes.
void MarkQuotesAndSlashes(std::string& scan) {
  bool inQuotes = false;
  char previous = ' ';
  for (char& c : scan) {
    if (c == '"') {
      inQuotes = !inQuotes;
    } else if (c == ' ' && inQuotes) {
      c = '_';
    } else if (c == '/' && !inQuotes && previous == ' ') {
      c = '-';
    }
    previous = c;
  }
}

void KeepFirst(WorkingCopies& copies, std::size_t length) {
  copies.line.resize(length);
  copies.scan.resize(length);
}

// Takes the last word off as the file name when it is not an option and contains a ".".
std::string TakeFileName(WorkingCopies& copies) {
  const std::string& scan = copies.scan;
  if (scan.empty()) return {};
  const std::size_t blank = scan.rfind(' ');
  if (blank == std::string::npos) {
    if (IsOptionMark(scan[0]) || copies.line.find('.') == std::string::npos) return {};
    std::string fileName = Trim(copies.line);
    KeepFirst(copies, 0);
    return fileName;
  }
  if (blank + 1 >= scan.size() || IsOptionMark(scan[blank + 1])) return {};
  std::string word = copies.line.substr(blank + 1);
  if (word.find('.') == std::string::npos) return {};
  KeepFirst(copies, blank + 1);
  return word;
}

// Turns the text gathered for one option into its entry; returns false when nothing is left of it.
bool MakeEntry(std::string text, std::string& entry) {
  text = Trim(text);
  std::size_t marks = 0;
  while (marks < text.size() && IsOptionMark(text[marks])) ++marks;
  text.erase(0, marks);
  if (text.empty()) return false;
  const std::size_t blank = text.find(' ');
  const std::size_t equals = text.find('=');
  if (blank != std::string::npos && (equals == std::string::npos || equals > blank)) text[blank] = '=';
  RemoveQuotes(text);
  entry = std::move(text);
  return true;
}

void SplitOptions(WorkingCopies& copies, std::vector<std::string>& list) {
  if (copies.scan.empty()) return;
  // The closing " -" makes the last option end like every other one.
  copies.scan += " -";
  copies.line += " -";
  std::string gathered;
  char previous = ' ';
  for (std::size_t k = 0; k < copies.scan.size(); ++k) {
    const char c = copies.scan[k];
    if (previous == ' ' && c == '-') {
      if (Trim(gathered).empty()) {  // a run of dashes: the previous character stays a blank
        gathered.clear();
        continue;
      }
      std::string entry;
      if (MakeEntry(gathered, entry)) list.push_back(std::move(entry));
      gathered.clear();
      previous = c;
    } else {
      gathered += copies.line[k];
      previous = c;
    }
  }
}

}  // namespace

bool SplitCommandLine(const std::string& line, std::vector<std::string>& list) {
  if (line.empty()) return false;
  WorkingCopies copies{Trim(line), {}};
  copies.scan = copies.line;
  MarkQuotesAndSlashes(copies.scan);

  // The program path runs to the first blank outside double quotes; without one there are no arguments.
  const std::size_t pathEnd = copies.scan.find(' ');
  if (pathEnd == std::string::npos) return false;
  copies.scan.erase(0, pathEnd + 1);
  copies.line.erase(0, pathEnd + 1);

  std::string fileName = TakeFileName(copies);
  list.clear();
  SplitOptions(copies, list);
  RemoveQuotes(fileName);
  list.push_back(std::move(fileName));
  return true;
}

}  // namespace orvimo
