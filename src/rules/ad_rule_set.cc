#include "rules/ad_rule_set.h"

#include <algorithm>

#include "platform/code_page.h"
#include "rules/ad_rule_text.h"

namespace {

std::string ToLocal(std::u16string_view line) {
  if (std::all_of(line.begin(), line.end(), [](char16_t c) { return c < 0x80; })) {
    return std::string(line.begin(), line.end());
  }
  return WideToLocal(line);
}

// The marks of the parts run over the whole address in the current Decide call, per
// thread. A part's marks belong to the call whose number they carry; numbers only grow.
struct OnePassMarks {
  uint64_t call = 0;
  std::vector<uint64_t> made_in;                // part -> call
  std::vector<std::vector<uint64_t>> ends;      // part -> bit per position
};

thread_local OnePassMarks one_pass_marks;

}  // namespace

bool CAdRuleSet::StacksRepetitions(std::string_view pattern) {
  bool after_repetition = false;  // the last token was a repetition ("*", "+", "?", "{m,n}")
  bool after_lazy = false;        // ... followed by the "?" that makes it lazy
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    bool repetition = c == '*' || c == '+' || c == '?' || c == '{';
    if (repetition && after_repetition && !(c == '?' && !after_lazy)) return true;
    if (c == '?' && after_repetition && !after_lazy) {
      after_lazy = true;
      continue;
    }
    after_lazy = false;
    after_repetition = repetition;
    if (c == '\\') {
      ++i;  // an escaped character is a literal
    } else if (c == '[') {
      // A class is one atom, whatever it holds.
      for (++i; i < pattern.size() && pattern[i] != ']'; ++i) {
        if (pattern[i] == '\\') ++i;
      }
    } else if (c == '{') {
      i = std::min(pattern.find('}', i), pattern.size());
    }
  }
  return false;
}

bool CAdRuleSet::HasHugeNumber(std::string_view pattern) {
  constexpr size_t kMaxDigits = 4;
  auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  // The digits that follow position `at`; a run of more than kMaxDigits sets `huge`.
  bool huge = false;
  auto digits_after = [&](size_t at) {
    size_t digits = 0;
    while (at + 1 + digits < pattern.size() && is_digit(pattern[at + 1 + digits])) ++digits;
    huge = huge || digits > kMaxDigits;
    return digits;
  };
  for (size_t i = 0; i < pattern.size() && !huge; ++i) {
    char c = pattern[i];
    if (c == '\\') {
      i += std::max<size_t>(digits_after(i), 1);  // a back-reference, or one escaped character
    } else if (c == '[') {
      for (++i; i < pattern.size() && pattern[i] != ']'; ++i) {
        if (pattern[i] == '\\') i += std::max<size_t>(digits_after(i), 1);
      }
    } else if (c == '{') {
      for (++i; i < pattern.size() && pattern[i] != '}' && !huge; ++i) {
        if (is_digit(pattern[i]) && !is_digit(pattern[i - 1])) i += digits_after(i - 1) - 1;
      }
    }
  }
  return huge;
}

bool CAdRuleSet::Expression::Compile(std::string_view pattern) {
  switch (program.Compile(pattern)) {
    case CRegexProgram::Status::kOk: return true;
    case CRegexProgram::Status::kInvalid: return false;
    case CRegexProgram::Status::kUnsupported: return CompileFallback(pattern);
  }
  return false;
}

bool CAdRuleSet::Expression::CompileFallback(std::string_view pattern) {
  try {
    fallback = std::make_unique<std::regex>(std::string(pattern), std::regex::ECMAScript);
    return true;
  } catch (const std::regex_error&) {
    return false;
  }
}

bool CAdRuleSet::Expression::Search(std::string_view text) const {
  if (fallback == nullptr) return program.Search(text);
  if (text.size() > kFallbackMaxLength) return false;
  try {
    return std::regex_search(text.begin(), text.end(), *fallback);
  } catch (const std::regex_error&) {
    return false;
  }
}

uint32_t CAdRuleSet::AddPart(const RegexNode& node, bool before, std::unordered_map<std::string, uint32_t>& known) {
  std::string key = RegexNodeKey(node);
  key += before ? '<' : '>';
  if (auto found = known.find(key); found != known.end()) return found->second;
  Part part;
  part.before = before;
  part.always = node.kind == RegexNode::Kind::kEmpty ||
                (node.kind == RegexNode::Kind::kConcat && node.children.empty());
  if (!part.always) {
    RegexNode reversed = CRegexProgram::Reversed(node);
    const RegexNode& outward = before ? reversed : node;
    const RegexNode& toward = before ? node : reversed;
    if (part.outward.Compile(outward, true) != CRegexProgram::Status::kOk ||
        part.toward.Compile(toward) != CRegexProgram::Status::kOk) {
      return kNoPart;
    }
  }
  parts_.push_back(std::move(part));
  uint32_t id = static_cast<uint32_t>(parts_.size() - 1);
  known.emplace(std::move(key), id);
  return id;
}

std::shared_ptr<const CAdRuleSet> CAdRuleSet::Build(const std::vector<std::u16string>& lines, Stats* stats) {
  auto set = std::make_shared<CAdRuleSet>();
  Stats counts;
  // First every line is translated and its address expression parsed, for its validity
  // and its literal runs, from which the index picks each rule's anchor; then each address
  // expression is compiled once, cut around its anchor where it can be.
  std::vector<std::string> url_patterns;
  std::vector<std::vector<CRegexProgram::RunSet>> run_sets;
  set->rules_.reserve(lines.size());
  for (const std::u16string& line : lines) {
    uint32_t line_number = static_cast<uint32_t>(counts.lines);
    ++counts.lines;
    AdRuleText text;
    switch (TranslateAdLine(ToLocal(line), text)) {
      case AdLineKind::kRule: break;
      case AdLineKind::kComment: ++counts.comments; continue;
      case AdLineKind::kElementHiding: ++counts.element_hiding; continue;
      case AdLineKind::kEmptyAddress: ++counts.empty_address; continue;
      case AdLineKind::kTooManyReplacements: ++counts.too_many_replacements; continue;
    }
    if (IsUnsafeExpression(text.url_pattern) || IsUnsafeExpression(text.site_text)) {
      ++counts.invalid_expression;
      continue;
    }
    Rule rule;
    std::vector<CRegexProgram::RunSet> runs;
    RegexNode root;
    CRegexParser::Result parsed = CRegexParser::Parse(text.url_pattern, root);
    if (parsed == CRegexParser::Result::kInvalid ||
        (parsed == CRegexParser::Result::kUnsupported && !rule.url.CompileFallback(text.url_pattern))) {
      ++counts.invalid_expression;
      continue;
    }
    if (parsed == CRegexParser::Result::kParsed) runs = CRegexProgram::RequiredRunSets(root);
    if (text.site_text != kAnySite) {
      rule.site = std::make_unique<Expression>();
      if (!rule.site->Compile(text.site_text)) {
        ++counts.invalid_expression;
        continue;
      }
    }
    for (const CRegexProgram::RunSet& runs_set : runs) {
      if (runs_set.size() == 1 && runs_set.front().size() > rule.must_contain.size()) rule.must_contain = runs_set.front();
    }
    rule.is_exception = text.is_exception;
    rule.third_party = text.third_party;
    rule.line = line_number;
    set->rules_.push_back(std::move(rule));
    url_patterns.push_back(std::move(text.url_pattern));
    run_sets.push_back(std::move(runs));
  }
  set->rules_.shrink_to_fit();

  std::vector<std::string> anchors = set->index_.Build(run_sets);
  run_sets = {};
  std::unordered_map<std::string, uint32_t> known_parts;
  size_t never_matching = 0;
  for (size_t i = 0; i < set->rules_.size(); ++i) {
    Rule& rule = set->rules_[i];
    if (rule.url.fallback == nullptr) {
      RegexNode root, before, after;
      CRegexParser::Parse(url_patterns[i], root);
      if (!anchors[i].empty()) {
        rule.anchor = std::move(anchors[i]);
        rule.must_contain = std::string();
        if (CRegexProgram::SplitAround(root, rule.anchor, before, after)) {
          rule.before = set->AddPart(before, true, known_parts);
          rule.after = set->AddPart(after, false, known_parts);
        }
      }
      if (rule.before == kNoPart || rule.after == kNoPart) {
        rule.before = rule.after = kNoPart;
        // Too large for the program after all: std::regex, or (if it refuses too) a rule
        // that never matches, as a skipped line would.
        if (rule.url.program.Compile(root) != CRegexProgram::Status::kOk && !rule.url.CompileFallback(url_patterns[i])) {
          ++never_matching;
        }
      }
    }
    if (rule.url.fallback != nullptr || (rule.site != nullptr && rule.site->fallback != nullptr)) ++counts.fallback;
    url_patterns[i] = std::string();
  }
  set->parts_.shrink_to_fit();
  counts.rules = set->rules_.size() - never_matching;
  counts.invalid_expression += never_matching;
  counts.shared_parts = set->parts_.size();
  if (stats != nullptr) *stats = counts;
  return set;
}

bool CAdRuleSet::PartHolds(uint32_t id, std::string_view address, size_t at) const {
  const Part& part = parts_[id];
  if (part.always) return true;
  OnePassMarks& marks = one_pass_marks;
  if (marks.made_in[id] != marks.call) {
    std::optional<bool> holds =
        part.before ? part.outward.SearchWithin(address.substr(0, at), CRegexProgram::Direction::kBackward, kOutwardBudget)
                    : part.outward.SearchWithin(address.substr(at), CRegexProgram::Direction::kForward, kOutwardBudget);
    if (holds.has_value()) return *holds;
    marks.ends[id].assign(address.size() / 64 + 1, 0);
    part.toward.MarkMatchEnds(address, part.before ? CRegexProgram::Direction::kForward
                                                   : CRegexProgram::Direction::kBackward,
                              marks.ends[id]);
    marks.made_in[id] = marks.call;
  }
  size_t bit = part.before ? at : address.size() - at;
  return (marks.ends[id][bit / 64] >> (bit % 64)) & 1;
}

bool CAdRuleSet::MatchesAround(const Rule& rule, std::string_view address, const std::vector<uint32_t>& positions) const {
  for (uint32_t at : positions) {
    if (PartHolds(rule.before, address, at) && PartHolds(rule.after, address, at + rule.anchor.size())) return true;
  }
  return false;
}

AdVerdict CAdRuleSet::Decide(std::string_view address, std::string_view host, uint32_t* deciding_line) const {
  if (deciding_line != nullptr) *deciding_line = kNoLine;
  thread_local std::vector<CAdRuleIndex::Candidate> candidates;
  thread_local std::vector<uint32_t> positions;
  OnePassMarks& marks = one_pass_marks;
  ++marks.call;
  if (marks.made_in.size() < parts_.size()) {
    marks.made_in.resize(parts_.size(), 0);
    marks.ends.resize(parts_.size());
  }
  candidates.clear();
  index_.Candidates(address, candidates);
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

  for (size_t first = 0, end = 0; first < candidates.size(); first = end) {
    const uint32_t number = candidates[first].rule;
    for (end = first; end < candidates.size() && candidates[end].rule == number;) ++end;
    const Rule& rule = rules_[number];
    // Every condition must hold, so the cheap ones go first: the anchor, the host (a few
    // bytes), and only then the address expression.
    bool matched;
    // Positions sort before kAnywhere: a rule that is a candidate anywhere has it last.
    if (candidates[end - 1].position == CAdRuleIndex::kAnywhere || rule.anchor.empty()) {
      matched = (rule.must_contain.empty() || address.find(rule.must_contain) != std::string_view::npos) &&
                (rule.site == nullptr || rule.site->Search(host)) && rule.url.Search(address);
    } else {
      positions.clear();
      for (size_t i = first; i < end; ++i) {
        uint32_t at = candidates[i].position;
        if (at + rule.anchor.size() <= address.size() && address.compare(at, rule.anchor.size(), rule.anchor) == 0) {
          positions.push_back(at);
        }
      }
      matched = !positions.empty() && (rule.site == nullptr || rule.site->Search(host)) &&
                (rule.before == kNoPart ? rule.url.Search(address) : MatchesAround(rule, address, positions));
    }
    if (matched) {
      if (deciding_line != nullptr) *deciding_line = rule.line;
      return rule.is_exception ? AdVerdict::kAllow : AdVerdict::kBlock;
    }
  }
  return AdVerdict::kAllow;
}

size_t CAdRuleSet::MemoryBytes() const {
  size_t bytes = sizeof(*this) + index_.MemoryBytes() + rules_.capacity() * sizeof(Rule) +
                 parts_.capacity() * sizeof(Part);
  for (const Part& part : parts_) {
    bytes += part.outward.MemoryBytes() + part.toward.MemoryBytes() - 2 * sizeof(CRegexProgram);
  }
  for (const Rule& rule : rules_) {
    bytes += rule.url.program.MemoryBytes() - sizeof(CRegexProgram);
    if (rule.site != nullptr) bytes += sizeof(Expression) + rule.site->program.MemoryBytes() - sizeof(CRegexProgram);
    if (rule.anchor.size() > 15) bytes += rule.anchor.capacity() + 1;
    if (rule.must_contain.size() > 15) bytes += rule.must_contain.capacity() + 1;
  }
  return bytes;
}
