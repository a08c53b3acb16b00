#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One node of a parsed regular expression, reduced to what decides whether a match exists:
// captures, laziness and the order of alternatives never change that, so they are dropped.
struct RegexNode {
  enum class Kind : uint8_t {
    kEmpty,            // matches the empty text
    kBytes,            // one byte out of `bytes`
    kConcat,           // `children` one after another
    kAlternate,        // any one of `children`
    kRepeat,           // `children[0]` from `min` to `max` times (max < 0: no upper bound)
    kLineBegin,        // "^": the start of the subject
    kLineEnd,          // "$": the end of the subject
    kWordBoundary,     // "\b"
    kNotWordBoundary,  // "\B"
  };

  Kind kind = Kind::kEmpty;
  std::bitset<256> bytes;
  int min = 0;
  int max = 0;
  std::vector<RegexNode> children;
};

// A text that equals for two nodes exactly when the nodes are equal (for sharing compiled
// parts between expressions).
std::string RegexNodeKey(const RegexNode& node);

// Parses a pattern of the ECMAScript grammar exactly as the standard library's std::regex
// (libstdc++, flags ECMAScript only, narrow characters, the "C" locale) reads it, quirks
// included: "." excludes only CR and LF, "\cX" stands for X, stacked quantifiers ("a**")
// are accepted, "]" and "}" outside their brackets are plain characters, ranges compare
// signed chars, and "[]" matches nothing while "[^]" matches every byte.
//
// kInvalid means std::regex throws regex_error on the pattern. kUnsupported means the
// pattern holds something this parser leaves to std::regex (back-references, lookahead,
// POSIX bracket classes, counts above kMaxCount, nesting deeper than kMaxDepth); whether it
// is valid is then unknown. Stateless and thread-safe.
class CRegexParser {
 public:
  enum class Result { kParsed, kInvalid, kUnsupported };

  static constexpr int kMaxCount = 1000;
  static constexpr int kMaxDepth = 100;

  static Result Parse(std::string_view pattern, RegexNode& root);
};
