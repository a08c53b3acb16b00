#include "proxy/url_helpers.h"

#include <algorithm>
#include <climits>

#include "base/replace_all.h"
#include "platform/code_page.h"
#include "proxy/canonical_host.h"
#include "proxy/public_suffix.h"

namespace {

constexpr size_t kMaxPortChars = 9;

std::string_view UpToNul(std::string_view text) { return text.substr(0, std::min(text.find('\0'), text.size())); }

// Position of the first '/' or ':' (npos when neither occurs).
size_t FirstSlashOrColon(std::string_view text) { return text.find_first_of("/:"); }

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0xFF;
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

UrlParts SplitUrl(std::string_view url) {
  url = UpToNul(url);
  UrlParts parts;
  size_t host_start = url.find("http://") != std::string_view::npos ? std::min<size_t>(7, url.size()) : 0;
  size_t slash = url.find('/', host_start);
  if (slash == std::string_view::npos) slash = url.size();
  // A bracketed IPv6 host keeps its colons.
  size_t colon_from = host_start;
  if (url.substr(host_start, 1) == "[") colon_from = std::min(url.find(']', host_start), slash);
  size_t colon = url.find(':', colon_from);
  size_t host_end = slash;
  if (colon != std::string_view::npos && colon <= slash) {
    std::string_view field = url.substr(colon + 1, slash - colon - 1);
    int port = ParseLeadingInt(field.substr(0, kMaxPortChars));
    parts.port_ok = field.size() <= kMaxPortChars && port >= 0 && port <= 65535;
    parts.port = static_cast<uint16_t>(parts.port_ok ? port : 0);
    host_end = colon;
  }
  parts.host = url.substr(host_start, host_end - host_start);
  parts.path = slash < url.size() ? url.substr(slash) : std::string_view("/");
  return parts;
}

std::string RefererHost(std::string_view head) {
  constexpr std::string_view kName = "Referer: ";
  size_t start = head.find(kName);
  if (start == std::string_view::npos) return {};
  start += kName.size();
  size_t end = head.find("\r\n", start);
  if (end == std::string_view::npos || end == start) return {};
  std::string_view value = head.substr(start, end - start);
  if (value.find("http://") != std::string_view::npos) {
    value.remove_prefix(std::min<size_t>(7, value.size()));
  } else if (value.find("https://") != std::string_view::npos) {
    value.remove_prefix(std::min<size_t>(8, value.size()));
  }
  if (value.starts_with("www.")) value.remove_prefix(4);
  return std::string(value.substr(0, FirstSlashOrColon(value)));
}

std::string BaseDomain(std::string_view host) {
  host = UpToNul(host);
  for (std::string_view prefix : {"http://", "https://", "www."}) {
    if (host.starts_with(prefix)) {
      host.remove_prefix(prefix.size());
      break;
    }
  }
  std::string canonical = CanonicalHost(host.substr(0, FirstSlashOrColon(host)));
  return std::string(RegistrableDomain(canonical));
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      int high = HexValue(static_cast<unsigned char>(text[i + 1]));
      int low = HexValue(static_cast<unsigned char>(text[i + 2]));
      out.push_back(static_cast<char>((high << 4) | low));
      i += 2;
    } else if (c == '+') {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string UrlDecodeToLocal(std::string_view text) {
  std::string decoded = UrlDecode(text);
  std::string out;
  for (size_t i = 0; i < decoded.size(); ++i) {
    auto c0 = static_cast<unsigned char>(decoded[i]);
    if (c0 == 0) break;
    if (c0 < 0x80) {
      out.push_back(static_cast<char>(c0));
      continue;
    }
    if (i + 2 >= decoded.size()) break;
    auto c1 = static_cast<unsigned char>(decoded[i + 1]);
    auto c2 = static_cast<unsigned char>(decoded[i + 2]);
    char16_t unit = static_cast<char16_t>(((c0 & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F));
    std::string local = unit == 0 ? std::string() : WideToLocal(std::u16string_view(&unit, 1));
    if (local.empty()) break;
    out += local;
    i += 2;
  }
  return out;
}

std::string HighBytes(std::string_view text) {
  std::string out;
  std::copy_if(text.begin(), text.end(), std::back_inserter(out),
               [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return out;
}

int LooksLikeUtf8(std::string_view data) {
  if (data.starts_with("\xEF\xBB\xBF")) return 1;
  long good = 0, bad = 0;
  unsigned char previous = 0;
  for (char byte : data) {
    auto b = static_cast<unsigned char>(byte);
    bool previous_is_lead = (previous & 0xC0) == 0xC0;
    if ((b & 0xC0) == 0x80) {
      if (previous_is_lead) {
        ++good;
      } else if (previous < 0x80) {
        ++bad;
      }
    } else if (previous_is_lead) {
      ++bad;
    }
    previous = b;
  }
  return bad < good ? 1 : 0;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (text.empty() || from == to) return;
  ReplaceEvery<char>(text, from, to);
}
