#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Words that make a host name read as adult in company though each alone is ordinary:
// "tube" (youtube), "cam" (bandcamp), "teen" (teenvogue), "adult" (adultswim), "hot"
// (hotmail), "dating". A name is caught when its label holds a weak word together with
// another weak or companion word ("teengaydick", "cougarlust", "adultdatingplanet"), or a
// weak word beside an "x" marker (a leading "x" or an "xx": "xlovegay", "uhxxtube").
// Companion words ("hot", "live", "pics", "dating") never count without a weak word.
//
// The label is read as words the way a reader splits it: an occurrence inside one of the
// ordinary words (the host keywords' ordinary words, "camp", "cambridge", "scam",
// "analog") does not count, and of overlapping words the longer one wins ("teens" over
// "teen", "tuber" over "tube").
//
// Immutable once built, so any number of threads may read it at once.
class CHostWords {
 public:
  using Ptr = std::shared_ptr<const CHostWords>;

  // Words that catch nothing.
  CHostWords() = default;
  // Words are ASCII, lower case; others are left out.
  CHostWords(const std::vector<std::string>& weak, const std::vector<std::string>& companions,
             const std::vector<std::string>& ordinary);

  // The words of the program folder's lists (HostWeakWords, HostCompanionWords and the
  // host keywords' ordinary words, URLFilterWhite). Missing lists give no words.
  static Ptr Load();

  // Whether `label` (one label, lower case, as the registrable domain's first) reads as an
  // adult site's name by the rule above.
  bool ReadsAsAdult(std::string_view label) const;

 private:
  enum class Kind : uint8_t { kNone, kWeak, kCompanion, kOrdinary };
  static constexpr size_t kLetters = 38;  // a-z, 0-9, '-', '_'
  struct Node {
    uint32_t next[kLetters] = {};  // index of the child node, 0 for none
    Kind kind = Kind::kNone;
  };
  struct Occurrence {
    size_t begin, end;
    Kind kind;
  };

  void Add(std::string_view word, Kind kind);
  // Every occurrence of every word in `label`.
  std::vector<Occurrence> Occurrences(std::string_view label) const;

  std::vector<Node> nodes_;  // a trie of every word; nodes_[0] is the root
};
