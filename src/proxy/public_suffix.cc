#include "proxy/public_suffix.h"

#include <string>

#include "proxy/canonical_host.h"
#include "rules/host_set.h"

extern const char kPublicSuffixRules[];

namespace {

// The rules in the form hosts are compared in: "*." and "!" kept in front of the
// canonical name.
const CHostSet& Rules() {
  static const CHostSet rules = [] {
    std::string text;
    std::string_view all(kPublicSuffixRules);
    while (!all.empty()) {
      size_t end = all.find('\n');
      std::string_view rule = all.substr(0, end);
      all.remove_prefix(end == std::string_view::npos ? all.size() : end + 1);
      std::string_view prefix = rule.starts_with("*.") ? "*." : rule.starts_with("!") ? "!" : "";
      text.append(prefix).append(CanonicalHost(rule.substr(prefix.size()))).push_back('\n');
    }
    return CHostSet(std::move(text));
  }();
  return rules;
}

bool IsIpLiteral(std::string_view host) {
  return host.starts_with('[') || host.find_first_not_of("0123456789.") == std::string_view::npos;
}

}  // namespace

std::string_view RegistrableDomain(std::string_view host) {
  if (host.empty()) return {};
  if (IsIpLiteral(host)) return host;
  const CHostSet& rules = Rules();
  std::string probe;
  // Suffixes from the longest (the host) to the shortest (its last label); the first that a
  // rule names is the longest match. `label_before` is where the label before it starts.
  size_t label_before = std::string_view::npos;
  for (size_t start = 0;;) {
    std::string_view suffix = host.substr(start);
    size_t dot = suffix.find('.');
    std::string_view parent = dot == std::string_view::npos ? std::string_view() : suffix.substr(dot + 1);
    probe.assign("!").append(suffix);
    if (rules.Contains(probe)) {
      // An exception: the suffix itself is registrable.
      return suffix;
    }
    probe.assign("*.").append(parent);
    bool wildcard = !parent.empty() && rules.Contains(probe);
    if (rules.Contains(suffix) || wildcard || parent.empty()) {
      if (label_before == std::string_view::npos) return {};
      return host.substr(label_before);
    }
    label_before = start;
    start += dot + 1;
  }
}
