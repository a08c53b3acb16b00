#pragma once

#include <string>
#include <string_view>

// One line of the ad list (Adblock Plus filter syntax) translated into the two regular
// expressions that decide it, both in the ECMAScript grammar, case-sensitive.
//
// Only a small part of the syntax is interpreted; the rest is carried into the expression
// as it stands. Callers and stored lists rely on the translation's quirks, which are kept:
// the option word for embedded documents is tested as "subdocment"; the option text
// starts at the first "$", so the end anchor that a final "|" becomes is cut off again; a
// "~" before a site widens the site expression to ".*\." (subdomains) instead of excluding
// the site; and "^" becomes "." (any one character).
struct AdRuleText {
  // Searched anywhere in the request address.
  std::string url_pattern;
  // Searched anywhere in the request host (without a leading "www."); kAnySite when the
  // rule names no sites, in which case the host is not looked at.
  std::string site_text;
  // A line that began with "@@": a match allows the request.
  bool is_exception = false;
  // The options mention "third-party". Recorded only; matching does not use it.
  bool third_party = false;
};

inline constexpr std::string_view kAnySite = ".*";

// What became of one line.
enum class AdLineKind {
  kRule,                 // translated into a rule
  kComment,              // empty after blanks are removed, a "!" comment or a "[" header
  kElementHiding,        // "##", "#@#", "#?#" or "#$#": page-element rules, not address rules
  kEmptyAddress,         // nothing before the options: it would match every address of its sites
  kTooManyReplacements,  // one replacement step would need more than kMaxReplacements
};

// The most occurrences that one replacement step rewrites; a line that needs more is
// skipped, since its expression would be unusably large.
inline constexpr int kMaxReplacements = 3000;

// Translates `line` (the list entry in the local code page). `rule` is set only for
// AdLineKind::kRule.
AdLineKind TranslateAdLine(std::string_view line, AdRuleText& rule);
