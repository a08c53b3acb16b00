#include "rules/ad_rule_text.h"

#include <algorithm>

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Replaces every occurrence of `from`, left to right, continuing after each inserted text.
// False (text unchanged) when that would take more than kMaxReplacements replacements.
bool ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  int count = 0;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + from.size())) {
    if (++count > kMaxReplacements) return false;
  }
  if (count == 0) return true;
  std::string result;
  result.reserve(text.size() + count * (to.size() - std::min(to.size(), from.size())));
  size_t done = 0;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
    result.append(text, done, at - done);
    result.append(to);
    done = at + from.size();
  }
  result.append(text, done);
  text = std::move(result);
  return true;
}

}  // namespace

AdLineKind TranslateAdLine(std::string_view line, AdRuleText& rule) {
  std::string s;
  s.reserve(line.size());
  for (char c : line) {
    if (c != '\r' && c != '\n' && c != '\t' && c != ' ') s += c;
  }
  if (s.empty() || s[0] == '!' || s[0] == '[') return AdLineKind::kComment;
  if (Contains(s, "##") || Contains(s, "#@#") || Contains(s, "#?#") || Contains(s, "#$#")) {
    return AdLineKind::kElementHiding;
  }

  bool is_exception = StartsWith(s, "@@");
  if (is_exception) s.erase(0, 2);
  // An empty address part gives an expression that matches every address, and since "$"
  // sorts first, such a rule would decide before any other for the sites it names.
  if (s.empty() || s[0] == '$') return AdLineKind::kEmptyAddress;

  if (!ReplaceAll(s, ".", "\\.") || !ReplaceAll(s, "?", "\\?") || !ReplaceAll(s, "*", ".*") ||
      !ReplaceAll(s, "^", ".")) {
    return AdLineKind::kTooManyReplacements;
  }
  if (StartsWith(s, "||")) s[0] = s[1] = '!';
  if (StartsWith(s, "|")) s[0] = '^';
  if (!s.empty() && s.rfind('|') == s.size() - 1) s.back() = '$';
  if (!ReplaceAll(s, "|", "\\|")) return AdLineKind::kTooManyReplacements;
  if (StartsWith(s, "!!")) s = "^http://(.*?\\.|)" + s.substr(2);

  std::string site_text(kAnySite);
  bool third_party = false;
  size_t options_at = s.find('$');
  if (options_at != std::string::npos) {
    std::string_view options = std::string_view(s).substr(options_at);
    std::string extensions;
    if (Contains(options, "image")) extensions += "|jpg|png|bmp|gif";
    if (Contains(options, "object")) extensions += "|swf|jar";
    if (Contains(options, "script")) extensions += "|js|vbs";
    if (Contains(options, "subdocment")) extensions += "|.*";
    if (Contains(options, "subrequest")) extensions += "|.*";
    third_party = Contains(options, "third-party");
    size_t domain_at = options.find("domain=");
    if (domain_at != std::string_view::npos) {
      site_text = options.substr(domain_at + 7);
      site_text = site_text.substr(0, site_text.find(','));
      if (!ReplaceAll(site_text, "~", ".*\\.")) return AdLineKind::kTooManyReplacements;
      if (Contains(site_text, "\\|")) {
        if (!ReplaceAll(site_text, "\\|", "|")) return AdLineKind::kTooManyReplacements;
        site_text = "(" + site_text + ")";
      }
    }
    if (!extensions.empty()) extensions = ".*(" + extensions.substr(1) + ")";
    s = s.substr(0, options_at) + extensions;
  }
  if (!s.empty() && s.back() == '^') s.pop_back();

  rule.url_pattern = std::move(s);
  rule.site_text = std::move(site_text);
  rule.is_exception = is_exception;
  rule.third_party = third_party;
  return AdLineKind::kRule;
}
