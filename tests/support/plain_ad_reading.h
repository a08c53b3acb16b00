#pragma once

#include <cstddef>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "rules/ad_rule_set.h"
#include "rules/ad_verdict.h"

// The ad list read plainly, as the reference that the engine is compared with: every line
// translated step by step (written out here again, independently of the engine's
// translation), every expression compiled with std::regex (ECMAScript), and for an address
// the rules tried one by one in the order of their lines with std::regex_search; the first
// rule whose address expression matches and whose site expression (if any) matches the
// host decides. It skips the same lines that the engine skips on purpose (page-element
// rules of every form, lines with nothing before their options, lines needing more than
// 3000 replacements in one step, expressions that stack one repetition on another).
//
// One shortcut keeps it affordable on tens of thousands of rules, and it is sound on its
// face: for a line whose address part holds nothing but ASCII letters, digits, the
// wildcards "*", "^", "|" and punctuation that the translation escapes or that has no
// meaning in an expression, every letter and digit becomes a literal of the expression, so
// a match must hold each maximal run of letters and digits of that part. An address that
// lacks the longest such run is not searched with that rule. Verdict(..., false) skips the
// shortcut and is the reading without any help.
//
// std::regex recurses per character of the subject: keep the addresses given here to a few
// thousand bytes.
class CPlainAdReading {
 public:
  struct Rule {
    std::string url_pattern;
    std::string site_text;
    std::regex url;
    std::regex site;
    bool is_exception = false;
    std::string needed_run;  // empty: always searched
    size_t line = 0;         // index of the source line
  };

  explicit CPlainAdReading(const std::vector<std::u16string>& sorted_lines) {
    for (size_t i = 0; i < sorted_lines.size(); ++i) AddLine(WideToLocal(sorted_lines[i]), i);
  }

  // The deciding rule's line, or nullopt when no rule decides (the address is allowed).
  std::optional<size_t> DecidingLine(std::string_view address, std::string_view host, bool shortcut = true) const {
    for (const Rule& rule : rules_) {
      if (shortcut && !rule.needed_run.empty() && address.find(rule.needed_run) == std::string_view::npos) continue;
      try {
        if (!std::regex_search(address.begin(), address.end(), rule.url)) continue;
        if (rule.site_text != ".*" && !std::regex_search(host.begin(), host.end(), rule.site)) continue;
      } catch (const std::regex_error&) {
        continue;
      }
      return rule.line;
    }
    return std::nullopt;
  }

  AdVerdict Verdict(std::string_view address, std::string_view host, bool shortcut = true) const {
    if (address.empty()) return AdVerdict::kAllow;
    std::optional<size_t> line = DecidingLine(address, host, shortcut);
    if (!line) return AdVerdict::kAllow;
    return exception_lines_[*line] ? AdVerdict::kAllow : AdVerdict::kBlock;
  }

  const std::vector<Rule>& Rules() const { return rules_; }

 private:
  // Replaces all occurrences left to right; false when more than 3000 would be needed.
  static bool Replace(std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    size_t start = 0;
    int count = 0;
    for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size()) {
      if (++count > 3000) return false;
      out += text.substr(start, at - start) + to;
    }
    text = out + text.substr(start);
    return true;
  }

  static std::string NeededRun(const std::string& address_part) {
    static const std::string kPlain = "*^|/.-_=&%,;:@!~'\"<>#?";
    std::string longest, run;
    for (char c : address_part) {
      bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      if (!alnum && kPlain.find(c) == std::string::npos) return "";
      run = alnum ? run + c : "";
      if (run.size() > longest.size()) longest = run;
    }
    return longest;
  }

  void AddLine(std::string s, size_t line) {
    exception_lines_.resize(line + 1, false);
    std::string blanks_removed;
    for (char c : s) {
      if (c != '\r' && c != '\n' && c != '\t' && c != ' ') blanks_removed += c;
    }
    s = blanks_removed;
    if (s.empty() || s[0] == '!' || s[0] == '[') return;
    for (const char* hiding : {"##", "#@#", "#?#", "#$#"}) {
      if (s.find(hiding) != std::string::npos) return;
    }
    Rule rule;
    rule.line = line;
    rule.is_exception = s.rfind("@@", 0) == 0;
    if (rule.is_exception) s = s.substr(2);
    if (s.empty() || s[0] == '$') return;

    std::string address_part = s.substr(0, s.find('$'));
    if (address_part.rfind("||", 0) == 0) address_part = address_part.substr(2);
    rule.needed_run = NeededRun(address_part);

    if (!Replace(s, ".", "\\.") || !Replace(s, "?", "\\?") || !Replace(s, "*", ".*") || !Replace(s, "^", ".")) return;
    if (s.rfind("||", 0) == 0) s = "!!" + s.substr(2);
    if (s.rfind("|", 0) == 0) s = "^" + s.substr(1);
    if (!s.empty() && s.find_last_of('|') == s.size() - 1) s[s.size() - 1] = '$';
    if (!Replace(s, "|", "\\|")) return;
    if (s.rfind("!!", 0) == 0) s = "^http://(.*?\\.|)" + s.substr(2);

    std::string site = ".*";
    size_t dollar = s.find('$');
    if (dollar != std::string::npos) {
      std::string options = s.substr(dollar);
      std::string list;
      if (options.find("image") != std::string::npos) list += "|jpg|png|bmp|gif";
      if (options.find("object") != std::string::npos) list += "|swf|jar";
      if (options.find("script") != std::string::npos) list += "|js|vbs";
      if (options.find("subdocment") != std::string::npos) list += "|.*";
      if (options.find("subrequest") != std::string::npos) list += "|.*";
      size_t domain = options.find("domain=");
      if (domain != std::string::npos) {
        site = options.substr(domain + 7);
        site = site.substr(0, site.find(','));
        if (!Replace(site, "~", ".*\\.")) return;
        if (site.find("\\|") != std::string::npos) {
          if (!Replace(site, "\\|", "|")) return;
          site = "(" + site + ")";
        }
      }
      if (!list.empty()) list = ".*(" + list.substr(1) + ")";
      s = s.substr(0, dollar) + list;
    }
    if (!s.empty() && s.back() == '^') s.pop_back();
    if (CAdRuleSet::IsUnsafeExpression(s) || CAdRuleSet::IsUnsafeExpression(site)) return;

    try {
      rule.url = std::regex(s, std::regex::ECMAScript);
      rule.site = std::regex(site, std::regex::ECMAScript);
    } catch (const std::regex_error&) {
      return;
    }
    rule.url_pattern = s;
    rule.site_text = site;
    exception_lines_[line] = rule.is_exception;
    rules_.push_back(std::move(rule));
  }

  std::vector<Rule> rules_;
  std::vector<bool> exception_lines_;
};
