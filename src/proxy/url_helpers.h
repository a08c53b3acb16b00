#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small stateless functions that take requests apart. Their cut points decide which list
// entries match, so each does exactly what its comment says, quirks included. All work on
// byte strings in the local code page (or UTF-8 where stated). Thread-safe.

// The parts of a request target. `host` and `path` view the URL passed in (path is "/"
// when the URL has none).
struct UrlParts {
  std::string_view host;
  uint16_t port = 80;
  std::string_view path;
  // False when the port field has ten or more characters or a value above 65535: such a
  // target is refused rather than connected to some other port.
  bool port_ok = true;
};

// Splits a request target (cut at its first NUL). The host starts after the first seven
// bytes when "http://" occurs anywhere in the URL, else at the start; it runs to the first
// ':' (then the port follows, read as atoi reads it from at most 9 characters) or '/'
// after it, whichever is first (a host that starts with '[' runs at least to its ']' or the
// first '/'); the path runs from that '/' to the end. So
// "example.test:443" gives host example.test, port 443, path "/".
UrlParts SplitUrl(std::string_view url);

// The host of the "Referer: " line of a head: scheme ("http://" or else "https://", when
// found anywhere in the value, by dropping the first 7 or 8 bytes) and a leading "www."
// removed, cut at the first '/' or ':'. Empty when the line is absent, empty or unended.
std::string RefererHost(std::string_view head);

// The registrable domain of a host by the public suffix list (RegistrableDomain: so
// example.com, example.co.uk, example.com.cn, example.github.io), in its canonical form
// (CanonicalHost), after dropping one leading "http://", "https://" or "www." and cutting
// at the first '/' or ':'. Empty for a host without a dot and for a public suffix itself;
// an IP address is its own.
std::string BaseDomain(std::string_view host);

// Percent-decoding: "%XY" becomes the byte (X << 4) | Y, a non-hex digit counting as 0xFF;
// '+' becomes a space. A '%' with fewer than two bytes after it is copied as it stands.
std::string UrlDecode(std::string_view text);

// UrlDecode, then each byte with its top bit set is taken as the lead of a three-byte UTF-8
// sequence whose code unit is written in the local code page (a search typed in Chinese
// arrives in UTF-8). A lead with fewer than two bytes after it ends the text. The result
// ends at its first NUL.
std::string UrlDecodeToLocal(std::string_view text);

// The bytes of `text` whose top bit is set, in order.
std::string HighBytes(std::string_view text);

// Guesses whether `data` is UTF-8: 1 with a byte-order mark, else 1 when continuation bytes
// that follow a lead byte outnumber the misplaced ones (plain ASCII gives 0).
int LooksLikeUtf8(std::string_view data);

// Replaces every occurrence of `from` with `to`, left to right, resuming after each
// inserted text. Nothing happens when text or from is empty or from equals to.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// atoi: leading white space, an optional sign, then decimal digits up to the first other
// byte; 0 when there are none. Values beyond the int range are clamped.
int ParseLeadingInt(std::string_view text);
