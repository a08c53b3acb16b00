#include "rules/regex_program.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

// What std::regex says: nullopt when it rejects the pattern, else whether it finds a match.
std::optional<bool> StdSearch(const std::string& pattern, const std::string& text) {
  try {
    std::regex re(pattern, std::regex::ECMAScript);
    return std::regex_search(text, re);
  } catch (const std::regex_error&) {
    return std::nullopt;
  }
}

bool StdAccepts(const std::string& pattern) { return StdSearch(pattern, "").has_value(); }

// Every occurrence of `run` in `text`.
std::vector<uint32_t> Occurrences(const std::string& text, const std::string& run) {
  std::vector<uint32_t> positions;
  for (size_t at = text.find(run); at != std::string::npos; at = text.find(run, at + 1)) positions.push_back(at);
  return positions;
}

bool Marked(const std::vector<uint64_t>& ends, size_t bit) { return (ends[bit / 64] >> (bit % 64)) & 1; }

// Compares the program with std::regex on `texts`. For each literal run that the
// expression can be cut around, the cut is checked too, both ways the ad engine uses it:
// the parts matched outward from each occurrence of the run, and the parts run once over
// the whole text marking where they can end.
void ExpectSameAnswers(const std::string& pattern, const std::vector<std::string>& texts) {
  using Direction = CRegexProgram::Direction;
  RegexNode root;
  ASSERT_EQ(CRegexParser::Parse(pattern, root), CRegexParser::Result::kParsed) << pattern;
  CRegexProgram program;
  ASSERT_EQ(program.Compile(root), CRegexProgram::Status::kOk) << pattern;
  for (const std::string& text : texts) {
    std::optional<bool> expected = StdSearch(pattern, text);
    ASSERT_TRUE(expected.has_value()) << pattern;
    EXPECT_EQ(program.Search(text), *expected) << "pattern " << pattern << " text " << text;
  }
  for (const CRegexProgram::RunSet& set : CRegexProgram::RequiredRunSets(root)) {
    const std::string& run = set.front();
    RegexNode before, after;
    if (set.size() != 1 || !CRegexProgram::SplitAround(root, run, before, after)) continue;
    CRegexProgram before_outward, after_outward, before_toward, after_toward;
    ASSERT_EQ(before_outward.Compile(CRegexProgram::Reversed(before), true), CRegexProgram::Status::kOk);
    ASSERT_EQ(after_outward.Compile(after, true), CRegexProgram::Status::kOk);
    ASSERT_EQ(before_toward.Compile(before), CRegexProgram::Status::kOk);
    ASSERT_EQ(after_toward.Compile(CRegexProgram::Reversed(after)), CRegexProgram::Status::kOk);
    for (const std::string& text : texts) {
      bool expected = *StdSearch(pattern, text);
      std::vector<uint64_t> before_ends(text.size() / 64 + 1), after_ends(text.size() / 64 + 1);
      before_toward.MarkMatchEnds(text, Direction::kForward, before_ends);
      after_toward.MarkMatchEnds(text, Direction::kBackward, after_ends);
      bool outward = false, marked = false;
      for (uint32_t at : Occurrences(text, run)) {
        size_t behind = at + run.size();
        outward |= before_outward.Search(std::string_view(text).substr(0, at), Direction::kBackward) &&
                   after_outward.Search(std::string_view(text).substr(behind));
        marked |= Marked(before_ends, at) && Marked(after_ends, text.size() - behind);
      }
      EXPECT_EQ(outward, expected) << "pattern " << pattern << " cut at " << run << " text " << text;
      EXPECT_EQ(marked, expected) << "pattern " << pattern << " marked at " << run << " text " << text;
    }
  }
}

TEST(RegexProgramTest, AcceptsAndRejectsPatternsAsStdRegexDoes) {
  // Each pattern is either parsed (and std::regex accepts it) or invalid (and std::regex
  // rejects it); the cases are the places where the library's reading is easy to get wrong.
  const char* patterns[] = {
      "a**", "a+*?", "a???", "a{2}{3}", "}", "]", "a}b", "[]", "[^]", "[]a]", "[a-]", "[-a]", "[--/]", "[a-c-e]",
      "[\\d-]", "[\\b]", "\\cJ", "\\x41", "\\u4e2d", "\\0", "a|", "|", "()", "(|)", "(?:ab)+", "\\/", "\\.",
      "[\\]]", "[\\-]", "[[]", "a{0}", "a{1,}", "a{2,5}?", "a{0005}", "^*", "*a", "a|*", "(*a)", "a{", "a{x}",
      "a{,3}", "a{3,2}", "{3}", "(", ")", "a)", "(?", "(?x)", "[", "[a", "[a-\\d]", "[\\d-a]", "[z-a]", "\\",
      "a\\", "\\x4", "\\u12", "\\c", "[\\B]", "a{ 2}", "$*", "\\b+", "[\\x80-\\xff]", "[a-\\xff]"};
  for (const char* text : patterns) {
    std::string pattern(text);
    RegexNode root;
    CRegexParser::Result result = CRegexParser::Parse(pattern, root);
    ASSERT_NE(result, CRegexParser::Result::kUnsupported) << pattern;
    EXPECT_EQ(result == CRegexParser::Result::kParsed, StdAccepts(pattern)) << pattern;
  }
}

TEST(RegexProgramTest, LeavesBackReferencesLookaheadAndPosixClassesToStdRegex) {
  for (const char* pattern : {"(a)\\1", "a(?=b)", "a(?!b)", "[[:alpha:]]", "[[.a.]]", "[[=a=]]", "a{1001}"}) {
    RegexNode root;
    EXPECT_EQ(CRegexParser::Parse(pattern, root), CRegexParser::Result::kUnsupported) << pattern;
  }
  CRegexProgram program;
  EXPECT_EQ(program.Compile("((((a{30}){30}){30}))"), CRegexProgram::Status::kUnsupported) << "too large once expanded";
}

TEST(RegexProgramTest, FindsWhatStdRegexFinds) {
  const std::vector<std::string> texts = {
      "", "a", "ab", "abc", "xaby", "aaa", "a\nb", "a\rb", "a.b", "a-b", "a_b", "A B", "\b", "a}", "]", "\x80\xff",
      "http://ads.example.com/x.gif", "http://www.ads.example.com:80/", "http://notads.example.com/",
      "http://x.com/?u=http://ads.example.com/", "https://ads.example.com/", "http://ads.example.com",
      "http://x.com/?ads.example.com&.ads.example.com/", "http://a.b/banner/\n/banner/ad.js",
      "http://a.b/banner/ad.js?x", "http://a.b/banner\n/ad.js", "/ads/|x|", "\x01\x02", std::string("a\0b", 3)};
  const char* patterns[] = {
      // The shapes that ad rules become.
      "^http://(.*?\\.|)ads\\.example\\.com.", "/banner/.*(js|vbs)", "/banner/.*(jpg|png|bmp|gif|.*)",
      "^https://", "ads\\.example\\.com\\/", "\\|x\\|", "/ads/\\|", ".*\\.com", "x\\.gif",
      // The library's readings.
      "a.b", "a[^x]b", "[]", "[^]", "a**", "\\cJ", "\\u4e2d", "[\\x80-\\xff]", "\\0", "a}", "]",
      "[a-c-e]", "[\\d-]", "\\bab", "b\\b", "\\Bb", "[\\b]", "^$", "$", "^", "\\w+_", "\\W", "\\s", "\\S\\s\\S",
      "\\d|\\D", "a{2}", "a{1,2}b", "(a|b)*c", "(|a)b", "((a|)*)*b", "x?y?z?", "a(b|c(d|))", "(?:a|b)+$",
      "^(a|b)+$", "[a-z]+\\.[a-z]+", "h.*p.*a", ".*", "(.*?\\.|)com"};
  for (const char* pattern : patterns) ExpectSameAnswers(pattern, texts);
}

// Random patterns over the grammar's special characters, checked against std::regex both
// for acceptance and, where accepted, for the answer on random texts.
TEST(RegexProgramTest, RandomPatternsAgreeWithStdRegex) {
  const std::string pattern_alphabet = "ab.*+?|()[]^${}\\-,12dwbB";
  const std::string text_alphabet = "ab.-\n_ ";
  uint64_t state = 12345;
  auto next = [&](uint64_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (state >> 33) % bound;
  };
  int compared = 0;
  for (int i = 0; i < 4000; ++i) {
    std::string pattern;
    for (uint64_t n = 1 + next(8); n > 0; --n) pattern += pattern_alphabet[next(pattern_alphabet.size())];
    RegexNode root;
    CRegexParser::Result result = CRegexParser::Parse(pattern, root);
    if (result == CRegexParser::Result::kUnsupported) continue;
    ASSERT_EQ(result == CRegexParser::Result::kParsed, StdAccepts(pattern)) << pattern;
    if (result != CRegexParser::Result::kParsed) continue;
    CRegexProgram program;
    if (program.Compile(root) != CRegexProgram::Status::kOk) continue;
    for (int t = 0; t < 6; ++t) {
      std::string text;
      for (uint64_t n = next(10); n > 0; --n) text += text_alphabet[next(text_alphabet.size())];
      ASSERT_EQ(program.Search(text), *StdSearch(pattern, text)) << "pattern " << pattern << " text " << text;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000);
}

TEST(RegexProgramTest, AnswersOnTextsFarLongerThanStdRegexCanTake) {
  // std::regex recurses per character here and overflows the stack long before 64 KB.
  std::string text = "http://" + std::string(65000, 'a') + ".ads.example.com/";
  CRegexProgram domain;
  ASSERT_EQ(domain.Compile("^http://(.*?\\.|)ads\\.example\\.com."), CRegexProgram::Status::kOk);
  EXPECT_TRUE(domain.Search(text));
  text[20] = '\n';  // "." does not pass a line feed
  EXPECT_FALSE(domain.Search(text));

  CRegexProgram suffix;
  ASSERT_EQ(suffix.Compile("/x/.*(jpg|png|bmp|gif)"), CRegexProgram::Status::kOk);
  EXPECT_FALSE(suffix.Search("/x/" + std::string(65000, '/')));
  EXPECT_TRUE(suffix.Search("/x/" + std::string(65000, '/') + "gif"));
}

TEST(RegexProgramTest, RequiredRunsAreInEveryMatch) {
  RegexNode root;
  ASSERT_EQ(CRegexParser::Parse("^http://(.*?\\.|)ads\\.example\\.com.*(js|vbs)", root), CRegexParser::Result::kParsed);
  std::vector<CRegexProgram::RunSet> sets = CRegexProgram::RequiredRunSets(root);
  EXPECT_EQ(sets, (std::vector<CRegexProgram::RunSet>{{"http://"}, {"ads.example.com"}, {"js", "vbs"}}));

  ASSERT_EQ(CRegexParser::Parse("a(b|)c|d", root), CRegexParser::Result::kParsed);
  sets = CRegexProgram::RequiredRunSets(root);
  EXPECT_EQ(sets, (std::vector<CRegexProgram::RunSet>{{"a", "d"}})) << "one run from each side of the bar";

  ASSERT_EQ(CRegexParser::Parse("x*|y", root), CRegexParser::Result::kParsed);
  EXPECT_TRUE(CRegexProgram::RequiredRunSets(root).empty()) << "x* needs no x";
}

}  // namespace
