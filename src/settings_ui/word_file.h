#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The user's keyword file as it is exchanged by the keyword page's import and export: a
// scrambled data file (as Data\UserWord.kezo) of one word per line.

// The words of the file at `path`, or nullopt when it is no word list: unreadable, larger
// than a word list grows, without any word, or with a line that is no word (longer than a
// word may be, or holding control or undecodable characters), as any file that is not a
// scrambled word list reads.
std::optional<std::vector<std::u16string>> ReadWordFile(std::string_view path);

// Writes `words` to `path` as a scrambled word list; false when the file could not be
// written (an old file there stays whole).
bool WriteWordFile(std::string_view path, const std::vector<std::u16string>& words);
