#include "rules/regex_program.h"

#include <algorithm>

namespace {

bool IsWordByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsSingleByte(const RegexNode& node) { return node.kind == RegexNode::Kind::kBytes && node.bytes.count() == 1; }

unsigned char TheByte(const RegexNode& node) {
  for (int b = 0; b < 256; ++b) {
    if (node.bytes.test(b)) return static_cast<unsigned char>(b);
  }
  return 0;
}

using RunSet = CRegexProgram::RunSet;

// How good a set of runs is for finding candidates: the shorter its shortest run, the more
// texts hold one of them; more runs are worse at equal shortest length.
bool BetterRunSet(const RunSet& a, const RunSet& b) {
  auto shortest = [](const RunSet& set) {
    size_t length = SIZE_MAX;
    for (const std::string& run : set) length = std::min(length, run.size());
    return length;
  };
  if (shortest(a) != shortest(b)) return shortest(a) > shortest(b);
  return a.size() < b.size();
}

void CollectRunSets(const RegexNode& node, std::vector<RunSet>& out);

// Walks a sequence (nested sequences from groups included) and collects its maximal literal
// runs plus the run sets of the other items that every match passes through.
void CollectSequence(const RegexNode& node, std::string& run, std::vector<RunSet>& out) {
  for (const RegexNode& item : node.children) {
    if (IsSingleByte(item)) {
      run += static_cast<char>(TheByte(item));
    } else if (item.kind == RegexNode::Kind::kConcat) {
      CollectSequence(item, run, out);
    } else {
      if (!run.empty()) out.push_back({run});
      run.clear();
      CollectRunSets(item, out);
    }
  }
}

// Adds to `out` sets of literal runs such that every match of `node` holds a whole run of
// each set (one set per independent choice; none when nothing is certain).
void CollectRunSets(const RegexNode& node, std::vector<RunSet>& out) {
  switch (node.kind) {
    case RegexNode::Kind::kBytes:
      if (IsSingleByte(node)) out.push_back({std::string(1, static_cast<char>(TheByte(node)))});
      return;
    case RegexNode::Kind::kConcat: {
      std::string run;
      CollectSequence(node, run, out);
      if (!run.empty()) out.push_back({run});
      return;
    }
    case RegexNode::Kind::kAlternate: {
      RunSet all;
      for (const RegexNode& child : node.children) {
        std::vector<RunSet> choices;
        CollectRunSets(child, choices);
        if (choices.empty()) return;
        const RunSet& best = *std::min_element(choices.begin(), choices.end(), BetterRunSet);
        all.insert(all.end(), best.begin(), best.end());
      }
      std::sort(all.begin(), all.end());
      all.erase(std::unique(all.begin(), all.end()), all.end());
      out.push_back(std::move(all));
      return;
    }
    case RegexNode::Kind::kRepeat:
      if (node.min >= 1) CollectRunSets(node.children.front(), out);
      return;
    default:
      return;
  }
}

}  // namespace

CRegexProgram::Status CRegexProgram::Compile(std::string_view pattern) {
  RegexNode root;
  switch (CRegexParser::Parse(pattern, root)) {
    case CRegexParser::Result::kInvalid: return Status::kInvalid;
    case CRegexParser::Result::kUnsupported: return Status::kUnsupported;
    case CRegexParser::Result::kParsed: break;
  }
  return Compile(root);
}

namespace {

bool HasUnboundedRepeat(const RegexNode& node) {
  if (node.kind == RegexNode::Kind::kRepeat && node.max < 0) return true;
  return std::any_of(node.children.begin(), node.children.end(), HasUnboundedRepeat);
}

void Flatten(const RegexNode& node, std::vector<const RegexNode*>& items) {
  if (node.kind != RegexNode::Kind::kConcat) {
    items.push_back(&node);
    return;
  }
  for (const RegexNode& child : node.children) Flatten(child, items);
}

bool HasAssertion(const RegexNode& node, bool line_end_allowed) {
  switch (node.kind) {
    case RegexNode::Kind::kLineBegin:
    case RegexNode::Kind::kWordBoundary:
    case RegexNode::Kind::kNotWordBoundary:
      return true;
    case RegexNode::Kind::kLineEnd:
      return !line_end_allowed;
    default:
      return std::any_of(node.children.begin(), node.children.end(),
                         [&](const RegexNode& child) { return HasAssertion(child, line_end_allowed); });
  }
}

}  // namespace

CRegexProgram::Status CRegexProgram::Compile(const RegexNode& root, bool anchored) {
  *this = CRegexProgram();
  Emit(root);
  Append(Op::kMatch);
  if (too_large_) {
    *this = CRegexProgram();
    return Status::kUnsupported;
  }
  code_.shrink_to_fit();
  sets_.shrink_to_fit();
  Analyse();
  PrepareClosures();
  if (anchored) anchored_ = true;
  unbounded_ = HasUnboundedRepeat(root);
  return Status::kOk;
}

std::vector<CRegexProgram::RunSet> CRegexProgram::RequiredRunSets(const RegexNode& root) {
  std::vector<RunSet> sets;
  CollectRunSets(root, sets);
  return sets;
}

bool CRegexProgram::SplitAround(const RegexNode& root, std::string_view anchor, RegexNode& before, RegexNode& after) {
  std::vector<const RegexNode*> items;
  Flatten(root, items);
  size_t run_begin = 0, run_end = 0;
  for (size_t begin = 0; begin < items.size() && run_end == 0;) {
    size_t end = begin;
    std::string run;
    while (end < items.size() && IsSingleByte(*items[end])) run += static_cast<char>(TheByte(*items[end++]));
    if (end == begin) {
      ++begin;
      continue;
    }
    if (run == anchor) {
      run_begin = begin;
      run_end = end;
    }
    begin = end;
  }
  if (run_end == 0) return false;

  before = RegexNode{};
  after = RegexNode{};
  before.kind = after.kind = RegexNode::Kind::kConcat;
  for (size_t i = 0; i < run_begin; ++i) {
    bool leading_line_begin = i == 0 && items[i]->kind == RegexNode::Kind::kLineBegin;
    if (!leading_line_begin && HasAssertion(*items[i], false)) return false;
    before.children.push_back(*items[i]);
  }
  for (size_t i = run_end; i < items.size(); ++i) {
    if (HasAssertion(*items[i], true)) return false;
    after.children.push_back(*items[i]);
  }
  return true;
}

RegexNode CRegexProgram::Reversed(const RegexNode& node) {
  RegexNode reversed = node;
  if (node.kind == RegexNode::Kind::kLineBegin) reversed.kind = RegexNode::Kind::kLineEnd;
  if (node.kind == RegexNode::Kind::kLineEnd) reversed.kind = RegexNode::Kind::kLineBegin;
  for (size_t i = 0; i < node.children.size(); ++i) reversed.children[i] = Reversed(node.children[i]);
  if (node.kind == RegexNode::Kind::kConcat) std::reverse(reversed.children.begin(), reversed.children.end());
  return reversed;
}

void CRegexProgram::Emit(const RegexNode& node) {
  if (too_large_ || code_.size() > kMaxInstructions) {
    too_large_ = true;
    return;
  }
  switch (node.kind) {
    case RegexNode::Kind::kEmpty:
      return;
    case RegexNode::Kind::kBytes:
      if (IsSingleByte(node)) return Append(Op::kByte, TheByte(node));
      sets_.push_back(node.bytes);
      return Append(Op::kSet, 0, static_cast<int32_t>(sets_.size() - 1));
    case RegexNode::Kind::kConcat:
      for (const RegexNode& child : node.children) Emit(child);
      return;
    case RegexNode::Kind::kAlternate: {
      std::vector<size_t> jumps;
      for (size_t i = 0; i + 1 < node.children.size(); ++i) {
        size_t split = code_.size();
        Append(Op::kSplit);
        Emit(node.children[i]);
        jumps.push_back(code_.size());
        Append(Op::kJump);
        code_[split].target = static_cast<int32_t>(code_.size());
      }
      Emit(node.children.back());
      for (size_t jump : jumps) code_[jump].target = static_cast<int32_t>(code_.size());
      return;
    }
    case RegexNode::Kind::kRepeat: {
      const RegexNode& body = node.children.front();
      for (int i = 0; i < node.min && !too_large_; ++i) Emit(body);
      if (node.max < 0) {
        size_t split = code_.size();
        Append(Op::kSplit);
        Emit(body);
        Append(Op::kJump, 0, static_cast<int32_t>(split));
        code_[split].target = static_cast<int32_t>(code_.size());
        return;
      }
      std::vector<size_t> splits;
      for (int i = node.min; i < node.max && !too_large_; ++i) {
        splits.push_back(code_.size());
        Append(Op::kSplit);
        Emit(body);
      }
      for (size_t split : splits) code_[split].target = static_cast<int32_t>(code_.size());
      return;
    }
    case RegexNode::Kind::kLineBegin: return Append(Op::kLineBegin);
    case RegexNode::Kind::kLineEnd: return Append(Op::kLineEnd);
    case RegexNode::Kind::kWordBoundary: return Append(Op::kWordBoundary);
    case RegexNode::Kind::kNotWordBoundary: return Append(Op::kNotWordBoundary);
  }
}

// Walks the instructions reachable from the start without consuming a byte, to learn which
// bytes can begin a match, whether the empty text at the start already matches, and
// whether every match must begin at the start of the text.
void CRegexProgram::Analyse() {
  std::vector<bool> seen(code_.size());
  std::vector<int32_t> stack;
  // `through_line_begin`: "^" holds at the start, so the first walk passes it; the second
  // stops there and looks for a path that consumes or ends without it.
  auto walk = [&](bool through_line_begin, auto&& visit) {
    std::fill(seen.begin(), seen.end(), false);
    stack.assign(1, 0);
    while (!stack.empty()) {
      int32_t pc = stack.back();
      stack.pop_back();
      if (seen[pc]) continue;
      seen[pc] = true;
      const Instruction& in = code_[pc];
      if (in.op == Op::kSplit) {
        stack.push_back(pc + 1);
        stack.push_back(in.target);
      } else if (in.op == Op::kJump) {
        stack.push_back(in.target);
      } else if (in.op == Op::kLineBegin) {
        if (through_line_begin) stack.push_back(pc + 1);
      } else {
        visit(in);
      }
    }
  };

  bool other_assertion = false;
  walk(true, [&](const Instruction& in) {
    if (in.op == Op::kByte) {
      first_bytes_.set(in.byte);
    } else if (in.op == Op::kSet) {
      first_bytes_ |= sets_[in.target];
    } else if (in.op == Op::kMatch) {
      nullable_ = true;
    } else {
      other_assertion = true;
    }
  });
  can_skip_ = !other_assertion && !nullable_;

  anchored_ = true;
  walk(false, [&](const Instruction&) { anchored_ = false; });
}

void CRegexProgram::PrepareClosures() {
  const size_t size = code_.size();
  closure_begin_.assign(size + 1, 0);
  closure_flags_.assign(size, 0);
  std::vector<uint32_t> seen(size, UINT32_MAX);
  std::vector<int32_t> stack;
  for (size_t start = 0; start < size; ++start) {
    closure_begin_[start] = static_cast<uint32_t>(closure_.size());
    bool needed = start == 0 || code_[start - 1].op == Op::kByte || code_[start - 1].op == Op::kSet;
    if (!needed) continue;
    stack.assign(1, static_cast<int32_t>(start));
    while (!stack.empty()) {
      int32_t pc = stack.back();
      stack.pop_back();
      if (seen[pc] == start) continue;
      seen[pc] = static_cast<uint32_t>(start);
      const Instruction& in = code_[pc];
      switch (in.op) {
        case Op::kByte:
        case Op::kSet: closure_.push_back(pc); break;
        case Op::kSplit:
          stack.push_back(pc + 1);
          stack.push_back(in.target);
          break;
        case Op::kJump: stack.push_back(in.target); break;
        case Op::kMatch: closure_flags_[start] |= kReachesMatch; break;
        default: closure_flags_[start] |= kMeetsAssertion; break;
      }
    }
    // Wide alternations under repeats could make the table quadratic; run those walks live.
    if (closure_.size() > 16 * size + 64) {
      closure_begin_.clear();
      closure_.clear();
      closure_flags_.clear();
      break;
    }
  }
  if (!closure_begin_.empty()) closure_begin_[size] = static_cast<uint32_t>(closure_.size());
  closure_.shrink_to_fit();
}

bool CRegexProgram::Consumes(const Instruction& instruction, unsigned char c) const {
  return instruction.op == Op::kByte ? instruction.byte == c : sets_[instruction.target].test(c);
}

namespace {

// Per-thread work space of a run, kept between calls so that a run allocates nothing once
// it has run on a program of the same size. Runs never nest on one thread.
struct RunSpace {
  std::vector<int32_t> current;
  std::vector<int32_t> next;
  std::vector<int32_t> stack;
  std::vector<uint32_t> marks;  // instruction -> generation in which it was added
  uint32_t generation = 0;

  void Prepare(size_t size) {
    if (marks.size() < size) {
      marks.assign(size, 0);
      generation = 0;
    }
    current.clear();
    next.clear();
  }
  void NewGeneration() {
    if (++generation == 0) {
      std::fill(marks.begin(), marks.end(), 0);
      generation = 1;
    }
  }
};

thread_local RunSpace run_space;

}  // namespace

bool CRegexProgram::Search(std::string_view text, Direction direction) const {
  if (code_.empty()) return false;
  return (direction == Direction::kForward ? Run<false, false>(text.data(), text.size(), nullptr)
                                           : Run<true, false>(text.data(), text.size(), nullptr)) == 1;
}

std::optional<bool> CRegexProgram::SearchWithin(std::string_view text, Direction direction, size_t max_bytes) const {
  if (code_.empty()) return false;
  int found = direction == Direction::kForward ? Run<false, false>(text.data(), text.size(), nullptr, max_bytes)
                                               : Run<true, false>(text.data(), text.size(), nullptr, max_bytes);
  if (found < 0) return std::nullopt;
  return found == 1;
}

void CRegexProgram::MarkMatchEnds(std::string_view text, Direction direction, std::vector<uint64_t>& ends) const {
  if (code_.empty()) return;
  if (direction == Direction::kForward) {
    Run<false, true>(text.data(), text.size(), &ends);
  } else {
    Run<true, true>(text.data(), text.size(), &ends);
  }
}

template <bool kReverse, bool kAllEnds>
int CRegexProgram::Run(const char* data, size_t length, std::vector<uint64_t>* ends, size_t max_bytes) const {
  if (!kAllEnds && nullable_) return 1;
  RunSpace& space = run_space;
  space.Prepare(code_.size());
  auto byte_at = [&](size_t i) { return static_cast<unsigned char>(kReverse ? data[length - 1 - i] : data[i]); };

  // Adds the instruction at `start` and everything it reaches without consuming a byte at
  // position `pos` to `list`; true when that reaches the end of the expression (with
  // kAllEnds the end is marked instead and the walk goes on).
  auto add = [&](std::vector<int32_t>& list, int32_t start, size_t pos) {
    if (!closure_begin_.empty() && (closure_flags_[start] & kMeetsAssertion) == 0) {
      if (closure_flags_[start] & kReachesMatch) {
        if (!kAllEnds) return true;
        (*ends)[pos / 64] |= uint64_t{1} << (pos % 64);
      }
      for (uint32_t i = closure_begin_[start]; i < closure_begin_[start + 1]; ++i) {
        int32_t pc = closure_[i];
        if (space.marks[pc] == space.generation) continue;
        space.marks[pc] = space.generation;
        list.push_back(pc);
      }
      return false;
    }
    space.stack.assign(1, start);
    while (!space.stack.empty()) {
      int32_t pc = space.stack.back();
      space.stack.pop_back();
      if (space.marks[pc] == space.generation) continue;
      space.marks[pc] = space.generation;
      const Instruction& in = code_[pc];
      switch (in.op) {
        case Op::kByte:
        case Op::kSet:
          list.push_back(pc);
          break;
        case Op::kSplit:
          space.stack.push_back(pc + 1);
          space.stack.push_back(in.target);
          break;
        case Op::kJump:
          space.stack.push_back(in.target);
          break;
        case Op::kLineBegin:
          if (pos == 0) space.stack.push_back(pc + 1);
          break;
        case Op::kLineEnd:
          if (pos == length) space.stack.push_back(pc + 1);
          break;
        case Op::kWordBoundary:
        case Op::kNotWordBoundary: {
          bool before = pos > 0 && IsWordByte(byte_at(pos - 1));
          bool after = pos < length && IsWordByte(byte_at(pos));
          if ((before != after) == (in.op == Op::kWordBoundary)) space.stack.push_back(pc + 1);
          break;
        }
        case Op::kMatch:
          if (!kAllEnds) return true;
          (*ends)[pos / 64] |= uint64_t{1} << (pos % 64);
          break;
      }
    }
    return false;
  };

  space.NewGeneration();
  for (size_t pos = 0;; ++pos) {
    if (!anchored_ || pos == 0) {
      if (space.current.empty()) {
        if (can_skip_ && !anchored_) {
          while (pos < length && !first_bytes_.test(byte_at(pos))) ++pos;
          if (pos == length) return 0;
        }
        space.NewGeneration();
      }
      if (add(space.current, 0, pos)) return 1;
    }
    if (pos == length || (anchored_ && space.current.empty())) return 0;
    if (pos == max_bytes) return -1;
    unsigned char c = byte_at(pos);
    space.NewGeneration();
    space.next.clear();
    for (int32_t pc : space.current) {
      if (Consumes(code_[pc], c) && add(space.next, pc + 1, pos + 1)) return 1;
    }
    space.current.swap(space.next);
  }
}

size_t CRegexProgram::MemoryBytes() const {
  return sizeof(*this) + code_.capacity() * sizeof(Instruction) + sets_.capacity() * sizeof(std::bitset<256>) +
         closure_begin_.capacity() * sizeof(uint32_t) + closure_.capacity() * sizeof(int32_t) +
         closure_flags_.capacity();
}
