#pragma once

#include <string_view>

// The registrable domain of a host by the public suffix list (built into the program from
// Debian's publicsuffix): the public suffix that the longest rule names (a "*." rule names
// every label below it, a "!" rule excepts a name from one; no rule names the last label
// alone) and the one label before it. So example.co.uk, example.com.cn and
// example.github.io are registrable domains, and a.b.example.com gives example.com.
//
// `host` is taken as CanonicalHost gives it (lower case, IDN labels in their xn-- form);
// the result is a suffix of it. A host that is a public suffix itself, or has no dot, gives
// an empty result; an IP literal is its own registrable domain. Pure and thread-safe.
std::string_view RegistrableDomain(std::string_view host);
