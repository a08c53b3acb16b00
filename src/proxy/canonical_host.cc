#include "proxy/canonical_host.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) return std::nullopt;
    char32_t unit = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    for (int k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      unit = (unit << 6) | (next & 0x3F);
    }
    constexpr std::array<char32_t, 4> kSmallest = {0, 0x80, 0x800, 0x10000};
    if (unit < kSmallest[extra] || unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF)) return std::nullopt;
    out.push_back(unit);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

char32_t FoldCharacter(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xFF01 && c <= 0xFF5E) return FoldCharacter(c - 0xFF01 + 0x21);  // fullwidth ASCII
  if (c == 0x3002 || c == 0xFF61) return U'.';                              // ideographic full stops
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
    return c + 0x20;
  }
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

// RFC 3492.
std::string Punycode(const std::u32string& label) {
  constexpr uint32_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;
  auto digit = [](uint32_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + d - 26); };
  auto adapt = [](uint32_t delta, uint32_t points, bool first) {
    delta = first ? delta / kDamp : delta / 2;
    delta += delta / points;
    uint32_t k = 0;
    for (; delta > ((kBase - kTMin) * kTMax) / 2; k += kBase) delta /= kBase - kTMin;
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
  };
  std::string out;
  for (char32_t c : label) {
    if (c < 0x80) out.push_back(static_cast<char>(c));
  }
  uint32_t basic = static_cast<uint32_t>(out.size()), handled = basic;
  if (basic > 0) out.push_back('-');
  uint32_t n = 0x80, delta = 0, bias = 72;
  while (handled < label.size()) {
    uint32_t next = UINT32_MAX;
    for (char32_t c : label) {
      if (c >= n && c < next) next = c;
    }
    // Labels are short (a host is at most a few hundred bytes), so no overflow check is
    // needed beyond this bound.
    delta += (next - n) * (handled + 1);
    n = next;
    for (char32_t c : label) {
      if (c < n) ++delta;
      if (c != n) continue;
      uint32_t q = delta;
      for (uint32_t k = kBase;; k += kBase) {
        uint32_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
        if (q < t) break;
        out.push_back(digit(t + (q - t) % (kBase - t)));
        q = (q - t) / (kBase - t);
      }
      out.push_back(digit(q));
      bias = adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
    ++delta;
    ++n;
  }
  return "xn--" + out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
  return out;
}

// Folds case and full stops and writes non-ASCII labels in their ASCII form.
std::string AsciiLabels(std::string_view host) {
  std::optional<std::u32string> text = DecodeUtf8(host);
  if (!text) return AsciiLower(host);
  std::string out;
  std::u32string label;
  auto flush = [&] {
    bool ascii = true;
    for (char32_t c : label) ascii = ascii && c < 0x80;
    if (ascii) {
      for (char32_t c : label) out.push_back(static_cast<char>(c));
    } else {
      out += Punycode(label);
    }
    label.clear();
  };
  for (char32_t c : *text) {
    c = FoldCharacter(c);
    if (c == U'.') {
      flush();
      out.push_back('.');
    } else {
      label.push_back(c);
    }
  }
  flush();
  return out;
}

std::optional<uint64_t> ParseIpNumber(std::string_view part) {
  if (part.empty()) return std::nullopt;
  uint64_t radix = 10;
  if (part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    radix = 16;
    part.remove_prefix(2);
    if (part.empty()) return 0;
  } else if (part.size() > 1 && part[0] == '0') {
    radix = 8;
    part.remove_prefix(1);
  }
  uint64_t value = 0;
  for (char c : part) {
    uint64_t d = c >= '0' && c <= '9' ? static_cast<uint64_t>(c - '0') : c >= 'a' && c <= 'f' ? static_cast<uint64_t>(c - 'a' + 10) : 99;
    if (d >= radix) return std::nullopt;
    value = value * radix + d;
    if (value > UINT32_MAX) return std::nullopt;
  }
  return value;
}

// An IPv4 address written as inet_aton reads it.
std::optional<uint32_t> IPv4Value(std::string_view host) {
  std::vector<uint64_t> parts;
  for (size_t start = 0;;) {
    size_t dot = host.find('.', start);
    std::optional<uint64_t> value = ParseIpNumber(host.substr(start, dot - start));
    if (!value || parts.size() == 4) return std::nullopt;
    parts.push_back(*value);
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  uint64_t address = 0;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i] > 255) return std::nullopt;
    address |= parts[i] << (8 * (3 - i));
  }
  uint64_t last_limit = parts.size() == 1 ? UINT32_MAX : (uint64_t{1} << (8 * (5 - parts.size()))) - 1;
  if (parts.back() > last_limit) return std::nullopt;
  return static_cast<uint32_t>(address | parts.back());
}

std::string DottedIPv4(uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
         std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

std::optional<std::array<uint16_t, 8>> ParseIPv6(std::string_view text) {
  std::array<uint16_t, 8> words{};
  std::vector<uint16_t> head, tail;
  std::vector<uint16_t>* into = &head;
  bool compressed = false;
  size_t i = 0;
  if (text.starts_with("::")) {
    compressed = true;
    into = &tail;
    i = 2;
  }
  while (i < text.size()) {
    size_t end = text.find(':', i);
    std::string_view group = text.substr(i, end - i);
    if (group.find('.') != std::string_view::npos && end == std::string_view::npos) {
      std::optional<uint32_t> value = IPv4Value(group);
      if (!value || std::count(group.begin(), group.end(), '.') != 3) return std::nullopt;
      into->push_back(static_cast<uint16_t>(*value >> 16));
      into->push_back(static_cast<uint16_t>(*value & 0xFFFF));
      break;
    }
    if (group.empty() || group.size() > 4) return std::nullopt;
    uint32_t value = 0;
    for (char c : group) {
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) return std::nullopt;
      value = value << 4 | static_cast<uint32_t>(d);
    }
    into->push_back(static_cast<uint16_t>(value));
    if (end == std::string_view::npos) break;
    if (text.substr(end, 2) == "::") {
      if (compressed) return std::nullopt;
      compressed = true;
      into = &tail;
      i = end + 2;
    } else {
      i = end + 1;
      if (i == text.size()) return std::nullopt;
    }
  }
  size_t total = head.size() + tail.size();
  if (total > 8 || (!compressed && total != 8) || (compressed && total == 8)) return std::nullopt;
  std::copy(head.begin(), head.end(), words.begin());
  std::copy(tail.begin(), tail.end(), words.end() - static_cast<std::ptrdiff_t>(tail.size()));
  return words;
}

// RFC 5952: lower-case hex, the longest run of two or more zero groups (the first of
// equal runs) written "::".
std::string IPv6Text(const std::array<uint16_t, 8>& words) {
  int best_start = -1, best_length = 1;
  for (int i = 0; i < 8;) {
    int j = i;
    while (j < 8 && words[j] == 0) ++j;
    if (j - i > best_length) best_start = i, best_length = j - i;
    i = j == i ? i + 1 : j;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "[";
  for (int i = 0; i < 8; ++i) {
    if (i == best_start) {
      out += "::";
      i += best_length - 1;
      continue;
    }
    if (!out.ends_with(':') && out.size() > 1) out.push_back(':');
    std::string group;
    for (uint16_t w = words[i]; w != 0 || group.empty(); w >>= 4) group.insert(group.begin(), kHex[w & 15]);
    out += group;
  }
  return out + "]";
}

}  // namespace

std::string CanonicalHost(std::string_view host) {
  host = host.substr(0, host.find('\0'));
  if (host.starts_with('[')) {
    size_t close = host.find(']');
    std::string inside = AsciiLower(host.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    if (std::optional<std::array<uint16_t, 8>> words = ParseIPv6(inside)) return IPv6Text(*words);
    return "[" + inside + "]";
  }
  if (std::count(host.begin(), host.end(), ':') >= 2) {
    if (std::optional<std::array<uint16_t, 8>> words = ParseIPv6(AsciiLower(host))) return IPv6Text(*words);
  }
  std::string out = AsciiLabels(host.substr(0, host.find(':')));
  while (out.ends_with('.')) out.pop_back();
  if (std::optional<uint32_t> address = IPv4Value(out)) return DottedIPv4(*address);
  return out;
}
