#pragma once

#include <string>
#include <string_view>

// The one form of a request's host that every list test, the host cache and the log use,
// so that a site cannot slip past a list by being written another way.
//
// From a host as a request names it (optionally with ":port", cut at its first NUL):
// - the port is dropped;
// - ASCII letters, fullwidth ASCII forms and the letters of Latin-1, Greek and Cyrillic
//   are put in lower case; the ideographic and fullwidth full stops become ".";
// - trailing dots are dropped;
// - each label with non-ASCII characters (UTF-8) becomes its ASCII "xn--" form;
// - an IPv4 address written in 1 to 4 parts of decimal, octal ("0" prefix) or hex ("0x"
//   prefix) numbers becomes dotted decimal ("2130706433" and "0x7f.1" give "127.0.0.1");
// - an IPv6 address, bracketed or not, becomes its shortest bracketed form ("[::1]").
// Bytes that are not valid UTF-8 are kept (ASCII letters still lower-cased). The result
// is empty for an empty host. Pure and thread-safe.
std::string CanonicalHost(std::string_view host);
