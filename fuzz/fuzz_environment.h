#pragma once

#include <memory>

#include "config/settings.h"
#include "data_files.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "rules/word_filter.h"

// What the page-handling targets share: files and profile in memory (a fuzz run never
// touches the machine's files or settings) and the two keyword matchers built from small
// word lists, with ASCII and Chinese words.
struct FuzzEnvironment {
  MemoryFileSystem files;
  MemoryProfileStore profile;
  ScopedSeam<FileSystem> files_seam{files};
  ScopedSeam<ProfileStore> profile_seam{profile};
  SetupRecord setup;
  std::unique_ptr<CWordFilter> black;
  std::unique_ptr<CWordFilter> white;

  FuzzEnvironment() {
    WriteListFile("Data\\word.kezo", {"porn", "sex", "色情", "成人"}, true);
    WriteListFile("Data\\whiteword.kezo", {"medical", "健康"}, true);
    black = std::make_unique<CWordFilter>(true);
    white = std::make_unique<CWordFilter>(false);
  }

  static FuzzEnvironment& Get() {
    static FuzzEnvironment* environment = new FuzzEnvironment;  // never freed: outlives every run
    return *environment;
  }
};
