// The ad rule engine on rules and addresses from outside: every line is translated and
// compiled, every address decided. Where the expressions are small enough for std::regex
// to answer quickly, the engine's decision is compared with the list read plainly (each
// rule tried in order with std::regex), which it must equal.
//
// Input: rule lines, the separator line "--", address lines.
#include <algorithm>

#include "fuzz_support.h"
#include "plain_ad_reading.h"
#include "platform/code_page.h"
#include "proxy/url_helpers.h"
#include "rules/ad_rule_set.h"
#include "rules/ad_rule_text.h"

namespace {

constexpr size_t kMaxRules = 24;
constexpr size_t kMaxAddresses = 8;
// The reference is std::regex, which backtracks: a search costs up to the address length
// to the power of the repetitions in the expression, and its stack grows with the
// length. Only small cases are compared; the engine runs on every case.
constexpr size_t kMaxComparedRules = 8;
constexpr size_t kMaxComparedAddress = 48;
constexpr long kMaxComparedRepetitions = 2;

long Repetitions(std::string_view expression) {
  return std::count_if(expression.begin(), expression.end(),
                       [](char c) { return c == '*' || c == '+' || c == '{'; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string_view> fields = SplitFields(AsText(data, size), 2);
  std::vector<std::u16string> lines;
  bool comparable = true;
  for (std::string_view line : SplitLines(fields[0])) {
    if (lines.size() == kMaxRules) break;
    AdRuleText rule;
    if (TranslateAdLine(line, rule) == AdLineKind::kRule) {
      comparable = comparable && Repetitions(rule.url_pattern) + Repetitions(rule.site_text) -
                                         (rule.site_text == kAnySite ? 1 : 0) <= kMaxComparedRepetitions;
    }
    lines.push_back(LocalToWide(line));
  }
  std::shared_ptr<const CAdRuleSet> rules = CAdRuleSet::Build(lines);
  comparable = comparable && lines.size() <= kMaxComparedRules;
  std::unique_ptr<CPlainAdReading> plain = comparable ? std::make_unique<CPlainAdReading>(lines) : nullptr;

  size_t decided = 0;
  for (std::string_view address : SplitLines(fields[1])) {
    if (decided++ == kMaxAddresses) break;
    if (address.empty()) continue;  // the engine's callers answer an empty address themselves
    std::string_view host = SplitUrl(address).host;
    if (host.starts_with("www.")) host.remove_prefix(4);
    uint32_t line = CAdRuleSet::kNoLine;
    AdVerdict verdict = rules->Decide(address, host, &line);
    FUZZ_CHECK(line == CAdRuleSet::kNoLine || line < lines.size());
    if (plain && address.size() <= kMaxComparedAddress && host.size() <= kMaxComparedAddress) {
      FUZZ_CHECK(verdict == plain->Verdict(address, host, false));
    }
  }
  return 0;
}
