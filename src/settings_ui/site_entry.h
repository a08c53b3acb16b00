#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the user types or imports for the site lists, reduced to the entry the proxy's
// lookups compare, so that a listed site is the site the proxy judges. Pure functions.

// What a line is meant to be.
enum class EntryKind {
  kSite,         // a site name: the blocked, never-filtered and no-pictures lists
  kHostKeyword,  // a text that blocks every host containing it: the URL keyword list
};

// The entry a typed address stands for, nullopt when it is none. Spaces go, then a leading
// "http://" or "https://" and then a leading "www." (letter case aside) and everything from
// the first "/", "?" or "#" on. A site becomes its canonical host (lower case, no port, no
// trailing dot, "xn--" labels for other scripts, the same form the proxy looks up) and must
// hold a "." between labels made of letters, digits, "-" and "_". A host keyword is put in
// lower case (hosts are compared that way) and must not be empty. Nothing is ever removed
// from the middle of the text.
std::optional<std::u16string> EntryFromAddress(std::u16string_view typed, EntryKind kind);

// A text file of entries for a list, one per line, read as the bulk import reads it.
struct ImportedEntries {
  std::vector<std::u16string> entries;  // sorted, each already reduced
  size_t invalid_lines = 0;             // lines that are no entry of the kind
  bool readable = false;                // false: the file could not be read
};

// Reads the plain text file at `path` (UTF-8 when it starts with the mark, else the local
// code page; every CR and LF ends a line; empty lines vanish) and reduces each line with
// EntryFromAddress.
ImportedEntries ReadImportFile(std::string_view path, EntryKind kind);
