// Writes the manual page orvimo2(1) to the file named first, dated with the second argument.
#include <cstdio>

#include "cmdline/manual_page.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make_manual_page <output file> <release date>\n", stderr);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const std::string page = orvimo::ManualPage(argv[2]);
  const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
