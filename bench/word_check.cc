// kezo-word-check: prints the lines of standard input (UTF-8) that the keyword matchers
// ban, judged as the proxy judges a link's text: the black filter's words that no white
// word overlaps, with the word files of the program folder it runs in.
//
//   kezo-word-check normal|strict     (strict: with the words of strong filtering too)
//
// The choice is written into the profile first, so run it with a profile folder of its
// own (KEZO_PROFILE_DIR). bench/word-false-positives runs it over ordinary texts.
#include <cstdio>
#include <iostream>
#include <string>

#include "config/profile_values.h"
#include "platform/code_page.h"
#include "platform/program_folder.h"
#include "rules/word_filter.h"

int main(int argc, char** argv) {
  std::string mode = argc == 2 ? argv[1] : "";
  if (mode != "normal" && mode != "strict") {
    std::fprintf(stderr, "usage: kezo-word-check normal|strict < texts\n");
    return 2;
  }
  if (!EnterProgramFolder()) {
    std::fprintf(stderr, "kezo-word-check: cannot enter the program folder\n");
    return 1;
  }
  std::ios::sync_with_stdio(false);
  WriteProfile(profile::kPowerfullFiltering, mode == "strict" ? 1 : 0);
  CWordFilter black(true), white(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (black.Bans(std::u16string_view(Utf8ToWide(line)), &white)) std::cout << line << '\n';
  }
  return 0;
}
