#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rules/ad_rule_index.h"
#include "rules/ad_verdict.h"
#include "rules/regex_program.h"

// The compiled rules of the ad list and the uncached decision for one address.
//
// The decision is that of the list read plainly: the rules in the sorted order of their
// lines, each one's address expression searched anywhere in the address (std::regex,
// ECMAScript), the first rule whose address expression matches and whose site expression
// (if it names sites) matches the host decides; no rule deciding allows the address.
//
// To be fast it runs only the candidates that CAdRuleIndex finds, in the same order, and
// runs them with CRegexProgram, which gives std::regex's answers without its recursion.
// Most address expressions are cut around their anchor (the literal run the index files
// them under): the part before and the part after are compiled once for all the rules
// that share them (every "||host^" rule shares the part before its host), and matched
// outward from the anchor's occurrences. A part that would read far from the anchor (on
// a long address) is instead run once over the whole address, marking every position
// where it can end, and every rule sharing it is answered from those marks: the work per
// address stays near its length times the few parts in play.
//
// Expressions that CRegexProgram leaves aside run on std::regex, and only for texts of up
// to kFallbackMaxLength bytes, beyond which std::regex could exhaust the stack: for a
// longer text such a rule counts as failing and is passed over.
//
// Immutable once built; Decide may run on any number of threads at once.
class CAdRuleSet {
 public:
  static constexpr size_t kFallbackMaxLength = 1024;
  // A part matched outward that has read this many bytes without an answer is run once
  // over the whole address instead, for the rest of the decision.
  static constexpr size_t kOutwardBudget = 128;

  // What became of the lines.
  struct Stats {
    size_t lines = 0;
    size_t rules = 0;
    size_t comments = 0;
    size_t element_hiding = 0;
    size_t empty_address = 0;
    size_t too_many_replacements = 0;
    size_t invalid_expression = 0;  // std::regex rejects the address or the site expression,
                                    // or it is unsafe for it (IsUnsafeExpression)
    size_t fallback = 0;            // rules with an expression left to std::regex
    size_t shared_parts = 0;        // distinct parts before and after anchors
  };

  CAdRuleSet() = default;

  // Translates and compiles `lines` (list entries, in their sorted order).
  static std::shared_ptr<const CAdRuleSet> Build(const std::vector<std::u16string>& lines, Stats* stats = nullptr);

  // `deciding_line`, when given, receives the position in `lines` of the line whose rule
  // decided, or kNoLine when none did.
  AdVerdict Decide(std::string_view address, std::string_view host, uint32_t* deciding_line = nullptr) const;
  static constexpr uint32_t kNoLine = UINT32_MAX;

  // Whether `pattern` puts one repetition straight after another ("a++", ".*+", "x{2}*"):
  // std::regex accepts such an expression and then backtracks exponentially on it, so a
  // single list line could hold every request for seconds. Such expressions are treated as
  // invalid (the line is skipped). A lazy "?" after a repetition is no repetition of its own.
  static bool StacksRepetitions(std::string_view pattern);
  // Whether a count "{m,n}" or a back-reference "\\n" of `pattern` has a number of more than
  // four digits: std::regex reads such a number into an integer that overflows, or builds a
  // machine of that size.
  static bool HasHugeNumber(std::string_view pattern);
  // The expressions that are not handed to std::regex at all: either of the two above.
  static bool IsUnsafeExpression(std::string_view pattern) {
    return StacksRepetitions(pattern) || HasHugeNumber(pattern);
  }

  size_t RuleCount() const { return rules_.size(); }
  size_t MemoryBytes() const;

 private:
  static constexpr uint32_t kNoPart = UINT32_MAX;

  // An expression as it runs: on CRegexProgram when it can, else on std::regex.
  struct Expression {
    CRegexProgram program;
    std::unique_ptr<std::regex> fallback;

    // Compiles `pattern`; false when std::regex rejects it.
    bool Compile(std::string_view pattern);
    // Leaves `pattern` to std::regex; false when std::regex rejects it.
    bool CompileFallback(std::string_view pattern);
    // False for an expression with nothing compiled.
    bool Search(std::string_view text) const;
  };

  // The part of an address expression before or after its anchor.
  struct Part {
    // Anchored where the anchor is and read away from it (backwards for a part before).
    CRegexProgram outward;
    // Read over the whole address in the direction that ends at the anchor (forwards for
    // a part before, backwards for a part after), marking where it can end.
    CRegexProgram toward;
    bool before = false;
    bool always = false;  // empty: holds at every position
  };

  struct Rule {
    // The whole address expression; empty when the rule is cut around its anchor.
    Expression url;
    std::unique_ptr<Expression> site;  // none: the rule names no sites
    // The literal run under which the index files the rule; the index tells where it would
    // start, and one comparison there confirms it. Empty when the rule is a candidate
    // everywhere.
    std::string anchor;
    uint32_t before = kNoPart;  // parts of a rule cut around its anchor
    uint32_t after = kNoPart;
    // For a rule without an anchor: a literal that every match holds, looked for before
    // the expression runs (may be empty).
    std::string must_contain;
    bool is_exception = false;
    bool third_party = false;
    uint32_t line = 0;  // position of the source line in the list
  };

  // The part for `node` (shared with every rule that has the same part), or kNoPart when
  // it cannot be compiled.
  uint32_t AddPart(const RegexNode& node, bool before, std::unordered_map<std::string, uint32_t>& known);
  bool MatchesAround(const Rule& rule, std::string_view address, const std::vector<uint32_t>& positions) const;
  bool PartHolds(uint32_t part, std::string_view address, size_t at) const;

  std::vector<Rule> rules_;
  std::vector<Part> parts_;
  CAdRuleIndex index_;
};
