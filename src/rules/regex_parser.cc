#include "rules/regex_parser.h"

#include <string>
#include <utility>

// The scanner and the descent below follow the structure of libstdc++'s regex scanner and
// compiler token for token, so that a pattern is accepted, rejected or read exactly as
// std::regex reads it. Where that library departs from the ECMAScript standard, it is the
// library that is followed: the engine must give the verdicts that std::regex gives.

namespace {

using Result = CRegexParser::Result;

// Ends a parse early with its result; caught in CRegexParser::Parse only.
struct Stop {
  Result result;
};

[[noreturn]] void Invalid() { throw Stop{Result::kInvalid}; }
[[noreturn]] void Unsupported() { throw Stop{Result::kUnsupported}; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsXDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The classes of "\d", "\s" and "\w" in the classic "C" locale.
bool InClass(char name, char c) {
  switch (name) {
    case 'd': return IsDigit(c);
    case 's': return IsSpace(c);
    default: return IsAlnum(c) || c == '_';
  }
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::bitset<256> ByteOf(char c) {
  std::bitset<256> set;
  set.set(static_cast<unsigned char>(c));
  return set;
}

enum class Token {
  kEof,
  kAnyChar,
  kOrdChar,  // value_[0], also from "\xHH" and "\uHHHH"
  kBackref,
  kGroupBegin,
  kGroupEnd,
  kBracketBegin,
  kBracketNegBegin,
  kBracketEnd,
  kBracketDash,
  kIntervalBegin,
  kIntervalEnd,
  kQuotedClass,  // value_[0] is d, D, s, S, w or W
  kOpt,
  kOr,
  kClosure0,
  kClosure1,
  kLineBegin,
  kLineEnd,
  kWordBound,  // value_[0] == 'n' for "\B"
  kComma,
  kDupCount,
};

class Scanner {
 public:
  explicit Scanner(std::string_view pattern) : current_(pattern.data()), end_(pattern.data() + pattern.size()) {
    Advance();
  }

  Token token() const { return token_; }
  const std::string& value() const { return value_; }

  // Consumes the current token when it is `token`, keeping its value in `matched`.
  bool Match(Token token, std::string* matched = nullptr) {
    if (token_ != token) return false;
    if (matched != nullptr) *matched = value_;
    Advance();
    return true;
  }

 private:
  enum class State { kNormal, kInBracket, kInBrace };

  void Set(Token token, char value) {
    token_ = token;
    value_.assign(1, value);
  }
  void Set(Token token) { token_ = token; }

  void Advance() {
    if (current_ == end_) {
      token_ = Token::kEof;
      return;
    }
    if (state_ == State::kNormal) {
      ScanNormal();
    } else if (state_ == State::kInBracket) {
      ScanInBracket();
    } else {
      ScanInBrace();
    }
  }

  void ScanNormal() {
    char c = *current_++;
    static constexpr std::string_view kSpecial = "^$\\.*+?()[]{}|";
    if (c != '\0' && kSpecial.find(c) == std::string_view::npos) return Set(Token::kOrdChar, c);
    switch (c) {
      case '\\':
        if (current_ == end_) Invalid();
        return EatEscape();
      case '(':
        if (current_ != end_ && *current_ == '?') {
          if (++current_ == end_) Invalid();
          char kind = *current_++;
          if (kind == ':') return Set(Token::kGroupBegin);
          if (kind == '=' || kind == '!') Unsupported();
          Invalid();
        }
        return Set(Token::kGroupBegin);
      case ')': return Set(Token::kGroupEnd);
      case '[':
        state_ = State::kInBracket;
        if (current_ != end_ && *current_ == '^') {
          ++current_;
          return Set(Token::kBracketNegBegin);
        }
        return Set(Token::kBracketBegin);
      case '{':
        state_ = State::kInBrace;
        return Set(Token::kIntervalBegin);
      case '^': return Set(Token::kLineBegin);
      case '$': return Set(Token::kLineEnd);
      case '.': return Set(Token::kAnyChar);
      case '*': return Set(Token::kClosure0);
      case '+': return Set(Token::kClosure1);
      case '?': return Set(Token::kOpt);
      case '|': return Set(Token::kOr);
      default: return Set(Token::kOrdChar, c);  // NUL, ']' and '}'
    }
  }

  void ScanInBracket() {
    char c = *current_++;
    if (c == '-') return Set(Token::kBracketDash);
    if (c == '[') {
      if (current_ == end_) Invalid();
      if (*current_ == '.' || *current_ == ':' || *current_ == '=') Unsupported();
      return Set(Token::kOrdChar, c);
    }
    if (c == ']') {
      state_ = State::kNormal;
      return Set(Token::kBracketEnd);
    }
    if (c == '\\') return EatEscape();
    Set(Token::kOrdChar, c);
  }

  void ScanInBrace() {
    char c = *current_++;
    if (IsDigit(c)) {
      Set(Token::kDupCount, c);
      while (current_ != end_ && IsDigit(*current_)) value_ += *current_++;
    } else if (c == ',') {
      Set(Token::kComma);
    } else if (c == '}') {
      state_ = State::kNormal;
      Set(Token::kIntervalEnd);
    } else {
      Invalid();
    }
  }

  void EatEscape() {
    if (current_ == end_) Invalid();
    char c = *current_++;
    switch (c) {
      case '0': return Set(Token::kOrdChar, '\0');
      case 'f': return Set(Token::kOrdChar, '\f');
      case 'n': return Set(Token::kOrdChar, '\n');
      case 'r': return Set(Token::kOrdChar, '\r');
      case 't': return Set(Token::kOrdChar, '\t');
      case 'v': return Set(Token::kOrdChar, '\v');
      case 'b':
        if (state_ == State::kInBracket) return Set(Token::kOrdChar, '\b');
        return Set(Token::kWordBound, 'p');
      case 'B': return Set(Token::kWordBound, 'n');
      case 'd': case 'D': case 's': case 'S': case 'w': case 'W': return Set(Token::kQuotedClass, c);
      case 'c':
        if (current_ == end_) Invalid();
        return Set(Token::kOrdChar, *current_++);
      case 'x':
      case 'u': {
        int digits = c == 'x' ? 2 : 4;
        unsigned value = 0;
        for (int i = 0; i < digits; ++i) {
          if (current_ == end_ || !IsXDigit(*current_)) Invalid();
          char d = *current_++;
          value = value * 16 + static_cast<unsigned>(IsDigit(d) ? d - '0' : Lower(d) - 'a' + 10);
        }
        // The library keeps only the low byte of "\uHHHH" in a narrow pattern.
        return Set(Token::kOrdChar, static_cast<char>(value & 0xFF));
      }
      default:
        if (IsDigit(c)) Unsupported();  // a back-reference
        return Set(Token::kOrdChar, c);
    }
  }

  const char* current_;
  const char* end_;
  State state_ = State::kNormal;
  Token token_ = Token::kEof;
  std::string value_;
};

class Parser {
 public:
  explicit Parser(std::string_view pattern) : scanner_(pattern) {}

  RegexNode ParseAll() {
    RegexNode root = Disjunction(0);
    if (scanner_.token() != Token::kEof) Invalid();
    return root;
  }

 private:
  RegexNode Disjunction(int depth) {
    if (depth > CRegexParser::kMaxDepth) Unsupported();
    RegexNode first = Alternative(depth);
    if (scanner_.token() != Token::kOr) return first;
    RegexNode alternate;
    alternate.kind = RegexNode::Kind::kAlternate;
    alternate.children.push_back(std::move(first));
    while (scanner_.Match(Token::kOr)) alternate.children.push_back(Alternative(depth));
    return alternate;
  }

  RegexNode Alternative(int depth) {
    RegexNode concat;
    concat.kind = RegexNode::Kind::kConcat;
    RegexNode term;
    while (Term(depth, term)) concat.children.push_back(std::move(term));
    if (concat.children.empty()) return RegexNode{};
    if (concat.children.size() == 1) return std::move(concat.children.front());
    return concat;
  }

  bool Term(int depth, RegexNode& term) {
    if (Assertion(term)) return true;
    if (!Atom(depth, term)) return false;
    while (Quantifier(term)) {
    }
    return true;
  }

  bool Assertion(RegexNode& node) {
    std::string value;
    node = RegexNode{};
    if (scanner_.Match(Token::kLineBegin)) {
      node.kind = RegexNode::Kind::kLineBegin;
    } else if (scanner_.Match(Token::kLineEnd)) {
      node.kind = RegexNode::Kind::kLineEnd;
    } else if (scanner_.Match(Token::kWordBound, &value)) {
      node.kind = value[0] == 'n' ? RegexNode::Kind::kNotWordBoundary : RegexNode::Kind::kWordBoundary;
    } else {
      return false;
    }
    return true;
  }

  static int Count(const std::string& digits) {
    if (digits.size() > 4) Unsupported();
    int value = std::stoi(digits);
    if (value > CRegexParser::kMaxCount) Unsupported();
    return value;
  }

  bool Quantifier(RegexNode& node) {
    int min = 0;
    int max = -1;
    if (scanner_.Match(Token::kClosure0)) {
    } else if (scanner_.Match(Token::kClosure1)) {
      min = 1;
    } else if (scanner_.Match(Token::kOpt)) {
      max = 1;
    } else if (scanner_.Match(Token::kIntervalBegin)) {
      std::string digits;
      if (!scanner_.Match(Token::kDupCount, &digits)) Invalid();
      min = Count(digits);
      max = min;
      if (scanner_.Match(Token::kComma)) max = scanner_.Match(Token::kDupCount, &digits) ? Count(digits) : -1;
      if (!scanner_.Match(Token::kIntervalEnd)) Invalid();
      if (max >= 0 && max < min) Invalid();
    } else {
      return false;
    }
    scanner_.Match(Token::kOpt);  // the lazy form finds a match exactly when the greedy one does
    RegexNode repeat;
    repeat.kind = RegexNode::Kind::kRepeat;
    repeat.min = min;
    repeat.max = max;
    repeat.children.push_back(std::move(node));
    node = std::move(repeat);
    return true;
  }

  bool Atom(int depth, RegexNode& node) {
    std::string value;
    node = RegexNode{};
    if (scanner_.Match(Token::kAnyChar)) {
      node.kind = RegexNode::Kind::kBytes;
      node.bytes.set();
      node.bytes.reset('\n');
      node.bytes.reset('\r');
    } else if (scanner_.Match(Token::kOrdChar, &value)) {
      node.kind = RegexNode::Kind::kBytes;
      node.bytes = ByteOf(value[0]);
    } else if (scanner_.Match(Token::kQuotedClass, &value)) {
      node.kind = RegexNode::Kind::kBytes;
      for (int b = 0; b < 256; ++b) {
        if (InClass(Lower(value[0]), static_cast<char>(b)) != IsUpper(value[0])) node.bytes.set(b);
      }
    } else if (scanner_.Match(Token::kGroupBegin)) {
      node = Disjunction(depth + 1);
      if (!scanner_.Match(Token::kGroupEnd)) Invalid();
    } else if (scanner_.token() == Token::kBracketBegin || scanner_.token() == Token::kBracketNegBegin) {
      node = Bracket();
    } else {
      return false;
    }
    return true;
  }

  // The bracket's members, decided byte by byte at the end as the library's matcher does.
  struct BracketSet {
    std::string chars;
    std::vector<std::pair<char, char>> ranges;
    std::string classes;           // "\d", "\s", "\w" inside the bracket
    std::string negated_classes;   // "\D", "\S", "\W" inside the bracket

    bool Contains(char c) const {
      if (chars.find(c) != std::string::npos) return true;
      for (auto [low, high] : ranges) {
        if (low <= c && c <= high) return true;
      }
      for (char name : classes) {
        if (InClass(name, c)) return true;
      }
      for (char name : negated_classes) {
        if (!InClass(name, c)) return true;
      }
      return false;
    }
  };

  // What the bracket saw last: a character still waiting to become a member or the start
  // of a range, a class, or nothing.
  struct Last {
    enum class Kind { kNone, kChar, kClass } kind = Kind::kNone;
    char c = 0;
  };

  RegexNode Bracket() {
    bool negated = scanner_.token() == Token::kBracketNegBegin;
    scanner_.Match(scanner_.token());
    BracketSet set;
    Last last;
    std::string value;
    if (scanner_.Match(Token::kOrdChar, &value)) {
      last = {Last::Kind::kChar, value[0]};
    } else if (scanner_.Match(Token::kBracketDash)) {
      last = {Last::Kind::kChar, '-'};
    }
    while (ExpressionTerm(set, last)) {
    }
    if (last.kind == Last::Kind::kChar) set.chars += last.c;

    RegexNode node;
    node.kind = RegexNode::Kind::kBytes;
    for (int b = 0; b < 256; ++b) {
      if (set.Contains(static_cast<char>(b)) != negated) node.bytes.set(b);
    }
    return node;
  }

  bool ExpressionTerm(BracketSet& set, Last& last) {
    if (scanner_.Match(Token::kBracketEnd)) return false;
    auto push_char = [&](char c) {
      if (last.kind == Last::Kind::kChar) set.chars += last.c;
      last = {Last::Kind::kChar, c};
    };
    std::string value;
    if (scanner_.Match(Token::kOrdChar, &value)) {
      push_char(value[0]);
    } else if (scanner_.Match(Token::kBracketDash)) {
      if (scanner_.Match(Token::kBracketEnd)) {
        push_char('-');
        return false;
      }
      if (last.kind == Last::Kind::kClass) Invalid();
      if (last.kind == Last::Kind::kChar) {
        char high;
        if (scanner_.Match(Token::kOrdChar, &value)) {
          high = value[0];
        } else if (scanner_.Match(Token::kBracketDash)) {
          high = '-';
        } else {
          Invalid();
        }
        if (last.c > high) Invalid();
        set.ranges.emplace_back(last.c, high);
        last = {};
      } else {
        push_char('-');
      }
    } else if (scanner_.Match(Token::kQuotedClass, &value)) {
      if (last.kind == Last::Kind::kChar) set.chars += last.c;
      last = {Last::Kind::kClass, 0};
      (IsUpper(value[0]) ? set.negated_classes : set.classes) += Lower(value[0]);
    } else {
      Invalid();
    }
    return true;
  }

  Scanner scanner_;
};

}  // namespace

namespace {

// Every piece is self-delimiting: its first character tells its length or is followed by
// a bracketed list, so equal keys come only from equal nodes.
void AppendKey(const RegexNode& node, std::string& key) {
  if (node.kind == RegexNode::Kind::kBytes && node.bytes.count() != 1) {
    key += 's';
    for (int b = 0; b < 256; b += 8) {
      unsigned char bits = 0;
      for (int i = 0; i < 8; ++i) bits |= static_cast<unsigned char>(node.bytes.test(b + i) << i);
      key += static_cast<char>(bits);
    }
    return;
  }
  key += static_cast<char>('A' + static_cast<int>(node.kind));
  if (node.kind == RegexNode::Kind::kBytes) {
    for (int b = 0; b < 256; ++b) {
      if (node.bytes.test(b)) key += static_cast<char>(b);
    }
  } else if (node.kind == RegexNode::Kind::kRepeat) {
    key += std::to_string(node.min) + ',' + std::to_string(node.max);
  }
  if (!node.children.empty()) {
    key += '(';
    for (const RegexNode& child : node.children) {
      AppendKey(child, key);
      key += ';';
    }
    key += ')';
  }
}

}  // namespace

std::string RegexNodeKey(const RegexNode& node) {
  std::string key;
  AppendKey(node, key);
  return key;
}

CRegexParser::Result CRegexParser::Parse(std::string_view pattern, RegexNode& root) {
  try {
    Parser parser(pattern);
    root = parser.ParseAll();
    return Result::kParsed;
  } catch (const Stop& stop) {
    return stop.result;
  }
}
