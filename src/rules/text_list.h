#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/snapshot.h"
#include "base/thread_annotations.h"
#include "rules/data_file.h"
#include "rules/list_files.h"

// A list of short text lines kept in a data file: one entry per line, held in memory as a
// sorted array of UTF-16 strings (plain code-unit order, case-sensitive), answering exact
// whole-entry lookups by binary search, and saving itself to its file after every change.
//
// Thread safety: lookups (Find, Contains, Entries, Count) run on any number of threads,
// never waiting for one another, while other threads Load, Add, Remove or Sort: every
// change builds a new array aside and publishes it at once (Snapshot), so a reader sees the
// old or the new list, whole. Changes serialise among themselves. PickRandom may be called
// from any thread.
class CMyList : public CMyFile {
 public:
  using Items = std::vector<std::u16string>;

  // Entries added later are cut to `max_length` units and refused below `min_length`;
  // entries read from the file stay whole.
  CMyList(std::string path, bool scrambled, uint16_t max_length, uint16_t min_length);
  explicit CMyList(const ListFile& file)
      : CMyList(std::string(file.path), file.scrambled, file.max_length, file.min_length) {}

  // Replaces the entries with the file's lines (split at every CR and LF, empty lines
  // dropped, nothing trimmed, duplicates kept), in file order or sorted. An unreadable file
  // gives an empty list. Restarts the random draw.
  void Load(bool sort);

  // Writes every entry followed by CR LF, in the file's character set (UTF-8 when it was
  // read with a mark, else the local code page), scrambled when the file is. Returns whether
  // the file was written; a failed write leaves the old file whole.
  bool Save();

  // Binary search for an equal entry: its index in the current entries, or -1. Meaningful
  // on a sorted list only.
  int Find(std::u16string_view text) const;
  // Whether the list holds exactly `local` (local code page), case-sensitively.
  bool Contains(std::string_view local) const;

  // Adds `text` after trimming U+0020 at both ends, refusing it when shorter than the
  // minimum, cutting it to the maximum, and refusing a duplicate; with `sort` the list is
  // kept sorted. Saves at once. Returns whether an entry was added.
  virtual bool Add(std::u16string_view text, bool sort);
  // The same for local code-page text; runs the subclass's wide Add.
  virtual bool Add(std::string_view local, bool sort);

  // Adds each of `texts` as Add would, in order, and writes the file once at the end (when
  // anything was added). Returns, for each text, whether it was added.
  std::vector<bool> AddMany(const std::vector<std::u16string>& texts, bool sort);
  // Replaces every entry with the texts that Add would take into an empty list, writing the
  // file once. Returns whether the file was written.
  bool ReplaceAll(const std::vector<std::u16string>& texts, bool sort);

  // Removes the first entry equal to `text` (when Find finds one) and saves. Returns
  // whether an entry was removed.
  bool Remove(std::u16string_view text);
  // Removes one entry equal to each of `texts`, writing the file once. Returns how many
  // entries were removed.
  size_t RemoveMany(const std::vector<std::u16string>& texts);
  // Empties the list and writes the empty file. Returns whether the file was written.
  bool Clear();

  // Sorts the entries in code-unit order.
  void Sort();

  // One entry drawn at random such that every entry comes once before any repeats; an
  // empty text for an empty list.
  std::u16string PickRandom();

  // The current entries; the array stays valid and unchanged for as long as it is held.
  std::shared_ptr<const Items> Entries() const { return items_.Get(); }
  // Calls fn(const Items&) with the current entries, which stay unchanged while it runs.
  template <typename Fn>
  decltype(auto) ReadEntries(Fn&& fn) const {
    return items_.Read(std::forward<Fn>(fn));
  }
  size_t Count() const {
    return items_.Read([](const Items& items) { return items.size(); });
  }

  uint16_t MaxLength() const { return max_length_; }
  uint16_t MinLength() const { return min_length_; }

  // Binary search in a sorted array, shared with callers that hold a snapshot.
  static int FindIn(const Items& items, std::u16string_view text);

 protected:
  // The entry that adding `text` stores: the text after its cleaning, trimmed of U+0020 at
  // both ends and cut to the maximum; nullopt when it is refused (empty, too short). A
  // subclass that cleans up what is added overrides it and calls this one last.
  virtual std::optional<std::u16string> Prepare(std::u16string_view text);

 private:
  bool SaveItems(const Items& items) REQUIRES(write_mu_);
  // The entries that adding `texts` to `base` stores, in order; `added` tells which text
  // gave one.
  std::vector<std::u16string> Admit(const Items& base, const std::vector<std::u16string>& texts,
                                    std::vector<bool>& added);
  static std::shared_ptr<Items> Combine(const Items& base, std::vector<std::u16string> fresh, bool sort);

  const uint16_t max_length_;
  const uint16_t min_length_;
  std::mutex write_mu_;  // serialises changes and guards the file state of CMyFile
  Snapshot<Items> items_;

  std::mutex draw_mu_;
  std::shared_ptr<const Items> draw_source_ GUARDED_BY(draw_mu_);
  std::vector<size_t> draw_pool_ GUARDED_BY(draw_mu_);
  std::mt19937 random_ GUARDED_BY(draw_mu_);
};
