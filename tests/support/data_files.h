#pragma once

#include <initializer_list>
#include <string>

#include "platform/code_page.h"
#include "rules/data_file.h"

// Writes a list file the way the program keeps it: one entry per line, CR LF, in the local
// code page, scrambled when asked. Entries are given in UTF-8.
inline void WriteListFile(const std::string& path, std::initializer_list<std::string> utf8_entries, bool scrambled) {
  std::u16string text;
  for (const std::string& entry : utf8_entries) text += Utf8ToWide(entry) + u"\r\n";
  CMyFile file(path, scrambled);
  file.Write(WideToLocal(text));
}

// Writes a plain text file in UTF-8 with a byte-order mark (or without one, as given).
inline void WriteTextFile(const std::string& path, const std::string& utf8, bool mark = true) {
  CMyFile file(path, false);
  file.SetHasBom(mark);
  file.Write(utf8);
}
