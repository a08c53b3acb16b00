#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rules/list_files.h"

// A large, read-only set of host names, loaded from a list file and answering exact
// lookups in constant time. It holds the shipped black site list, a quarter of a million
// names, at a few bytes beyond their text: the file's own bytes become the name store (each
// line ended by a zero byte in place) and an open-addressing table of 32-bit offsets into
// it finds them, instead of one string object per entry.
//
// Entries are taken as the proxy compares them: ASCII letters in lower case, trailing dots
// dropped. Every entry stays a whole-name match; callers that want a site matched with its
// parent domains look up each form themselves.
//
// Immutable once built, so any number of threads may look up at once; a reload builds a new
// set aside and swaps it in (the proxy keeps it in a Snapshot).
class CHostSet {
 public:
  using Ptr = std::shared_ptr<const CHostSet>;

  // An empty set.
  CHostSet() = default;
  // The set of the non-empty lines of `text` (split at every CR and LF), which it keeps.
  explicit CHostSet(std::string text);

  // Reads `file` as CMyFile reads it (scrambled or not, UTF-8 after a mark or else the
  // local code page). A missing or unreadable file gives an empty set.
  static Ptr Load(const ListFile& file);

  // Whether `host` is one of the entries, byte for byte.
  bool Contains(std::string_view host) const;

  // The distinct entries held.
  size_t Count() const { return count_; }
  // The entries without a ".", in file order, as UTF-16 (the proxy uses them as host
  // keywords).
  std::vector<std::u16string> DotlessEntries() const;
  // The bytes held on the heap for the names and the table.
  size_t MemoryBytes() const { return names_.capacity() + slots_.capacity() * sizeof(uint32_t); }

 private:
  static uint64_t Hash(std::string_view name);
  std::string_view NameAt(uint32_t slot_value) const;
  // Adds the name at `offset` of `names_` (of `length` bytes) unless it is there already.
  void Insert(uint32_t offset, size_t length);

  std::string names_;             // the entries, each followed by a zero byte
  std::vector<uint32_t> slots_;   // offset + 1 of an entry in names_, 0 for an empty slot
  size_t count_ = 0;
};

// A host label with each run of digits written as one "#", the shape by which the family
// index of the black list (Data\blackfamily.kezo, written by scripts/assemble-black-list)
// knows the mirrors of a site family: "802sds" and "90sds" are both "#sds".
std::string LabelShape(std::string_view label);
