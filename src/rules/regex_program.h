#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/regex_parser.h"

// A regular expression compiled for one question only: does it match somewhere in a text?
//
// The answer equals std::regex_search with the ECMAScript grammar for every pattern that
// CRegexParser parses. The search simulates all alternatives at once (a Thompson automaton
// over the instructions), so its time grows with the text's length times the expression's
// size, never exponentially, and it uses no recursion: any text length is answered without
// touching the call stack (std::regex recurses once per character and overflows the stack
// on long texts).
//
// For matching outward from a literal run of an expression (see SplitAround), a program
// can be compiled anchored (every match starts where the reading starts) and can read its
// text backwards, and it can mark in one pass every position where a match ends.
//
// Immutable after Compile; every method may run on any number of threads at once.
class CRegexProgram {
 public:
  enum class Status { kOk, kInvalid, kUnsupported };
  enum class Direction { kForward, kBackward };

  // Instructions beyond this are left to std::regex (kUnsupported): counted repeats expand.
  static constexpr size_t kMaxInstructions = 4096;

  // Compiles `pattern`. kInvalid: std::regex rejects it too. kUnsupported: the pattern is
  // outside what this program runs (see CRegexParser) and the program stays empty.
  Status Compile(std::string_view pattern);
  // Compiles a parsed expression; `anchored`: a match must start where the reading starts.
  Status Compile(const RegexNode& root, bool anchored = false);

  // Whether the expression matches in `text` (anywhere, or at its start when anchored)
  // with regex_search semantics; kBackward reads the text from its last byte to its first.
  bool Search(std::string_view text, Direction direction = Direction::kForward) const;
  // The same, reading at most `max_bytes` bytes: nullopt when the answer needs more.
  std::optional<bool> SearchWithin(std::string_view text, Direction direction, size_t max_bytes) const;

  // Sets bit i of `ends` (sized to hold text.size() + 1 bits, cleared by the caller) for
  // every i such that a match (starting anywhere, or at 0 when anchored) ends after the
  // first i bytes read.
  void MarkMatchEnds(std::string_view text, Direction direction, std::vector<uint64_t>& ends) const;

  // Whether Search can read the whole text: the expression repeats something without bound.
  bool Unbounded() const { return unbounded_; }

  size_t InstructionCount() const { return code_.size(); }
  size_t MemoryBytes() const;

  // Sets of literal byte runs found in `root`: every match of the expression holds a whole
  // run of each set (a contiguous stretch of the match equal to one of the set's runs).
  // Each set is an independent choice for a prefilter; none is returned when no literal is
  // certain. A set of one run means that run is in every match.
  using RunSet = std::vector<std::string>;
  static std::vector<RunSet> RequiredRunSets(const RegexNode& root);

  // Cuts `root` around `anchor`, a maximal literal run of its top-level sequence: a text
  // matches `root` exactly when, at some occurrence of the anchor, `before` matches text
  // that ends right there and `after` matches text that starts right after it. False when
  // the anchor is not such a run or when the parts hold assertions that the cut would
  // change (anything but a leading "^" before, anything but "$" after).
  static bool SplitAround(const RegexNode& root, std::string_view anchor, RegexNode& before, RegexNode& after);

  // The expression read from right to left ("^" and "$" trade places).
  static RegexNode Reversed(const RegexNode& node);

 private:
  enum class Op : uint8_t { kByte, kSet, kSplit, kJump, kLineBegin, kLineEnd, kWordBoundary, kNotWordBoundary, kMatch };

  // kSplit continues at both `target` and the next instruction; kJump at `target`; kByte
  // consumes `byte`; kSet consumes a byte of sets_[target].
  struct Instruction {
    Op op;
    uint8_t byte;
    int32_t target;
  };

  void Emit(const RegexNode& node);
  void Append(Op op, uint8_t byte = 0, int32_t target = 0) { code_.push_back({op, byte, target}); }
  void Analyse();
  void PrepareClosures();
  bool Consumes(const Instruction& instruction, unsigned char c) const;
  // Runs the automaton over `length` bytes at `data` (backwards when kReverse); with
  // kAllEnds it marks every match end in `ends` instead of stopping at the first match.
  // Returns 1 for a match, 0 for none, -1 when it would read more than `max_bytes`.
  template <bool kReverse, bool kAllEnds>
  int Run(const char* data, size_t length, std::vector<uint64_t>* ends, size_t max_bytes = SIZE_MAX) const;

  std::vector<Instruction> code_;
  std::vector<std::bitset<256>> sets_;
  // For the start and for each instruction after a consuming one: the consuming
  // instructions it reaches without reading a byte, found once here instead of at every
  // byte of a run. closure_[closure_begin_[pc] .. closure_begin_[pc + 1]); empty
  // closure_begin_ when the table would be too large.
  static constexpr uint8_t kReachesMatch = 1;
  static constexpr uint8_t kMeetsAssertion = 2;  // the walk depends on the position
  std::vector<uint32_t> closure_begin_;
  std::vector<int32_t> closure_;
  std::vector<uint8_t> closure_flags_;
  // Bytes that can start a match; a search skips the others while no match is under way.
  // Used only when `can_skip_` (the start reaches no assertion but "^" before its first
  // byte, and no match without a byte).
  std::bitset<256> first_bytes_;
  bool can_skip_ = false;
  bool anchored_ = false;  // every match starts where the reading starts
  bool nullable_ = false;  // the start reaches the end through nothing but "^"
  bool unbounded_ = false;
  bool too_large_ = false;
};
