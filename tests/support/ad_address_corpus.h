#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Request addresses for exercising the ad engine against an ad list: ordinary page
// resources on everyday sites, addresses built from the list's own rules (so that rules,
// exceptions and site conditions really decide), near misses of those, long tracking
// addresses of several kilobytes, and a few with unusual bytes (the local code page's
// double-byte characters, control characters). Deterministic for a given seed.
class CAdAddressCorpus {
 public:
  struct Request {
    std::string address;
    std::string host;  // without a leading "www."
  };

  struct Shape {
    size_t count = 1000;
    int long_percent = 2;             // share of addresses of several kilobytes
    size_t long_min = 1200;
    size_t long_max = 4300;
    uint64_t seed = 20240601;
  };

  // `rule_lines`: the list's lines in the local code page.
  static std::vector<Request> Make(const std::vector<std::string>& rule_lines, const Shape& shape) {
    CAdAddressCorpus corpus(rule_lines, shape.seed);
    std::vector<Request> requests;
    requests.reserve(shape.count);
    for (size_t i = 0; i < shape.count; ++i) {
      std::string address;
      int kind = static_cast<int>(corpus.Next(100));
      if (kind < shape.long_percent) {
        address = corpus.LongAddress(shape.long_min + corpus.Next(shape.long_max - shape.long_min + 1));
      } else if (kind < 40) {
        address = corpus.Ordinary();
      } else if (kind < 75) {
        address = corpus.FromRule();
      } else if (kind < 95) {
        address = corpus.Mutated(corpus.FromRule());
      } else {
        address = corpus.Unusual();
      }
      requests.push_back({address, HostOf(address)});
    }
    return requests;
  }

  static std::string HostOf(std::string_view address) {
    size_t start = address.find("://");
    start = start == std::string_view::npos ? 0 : start + 3;
    size_t end = address.find_first_of(":/?#", start);
    std::string host(address.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (host.rfind("www.", 0) == 0) host.erase(0, 4);
    return host;
  }

 private:
  CAdAddressCorpus(const std::vector<std::string>& rule_lines, uint64_t seed) : state_(seed) {
    for (const std::string& line : rule_lines) {
      if (line.empty() || line[0] == '!' || line[0] == '[' || line.find('#') != std::string::npos) continue;
      std::string part = line.substr(0, line.find('$'));
      if (part.rfind("@@", 0) == 0) part.erase(0, 2);
      if (part.size() >= 3) parts_.push_back(part);
      size_t domain = line.find("domain=");
      if (domain != std::string::npos) {
        std::string sites = line.substr(domain + 7);
        sites = sites.substr(0, sites.find(','));
        for (size_t start = 0; start < sites.size();) {
          size_t bar = sites.find('|', start);
          std::string site = sites.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
          if (!site.empty() && site[0] == '~') site.erase(0, 1);
          if (site.size() > 3 && sites_.size() < 5000) sites_.push_back(site);
          if (bar == std::string::npos) break;
          start = bar + 1;
        }
      }
    }
    if (parts_.empty()) parts_.push_back("/ads/banner");
  }

  uint64_t Next(uint64_t bound) {
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return (z ^ (z >> 31)) % bound;
  }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Next(items.size())]; }

  std::string Word() {
    static const std::vector<std::string> kWords = {
        "news", "static", "img", "images", "js", "css", "assets", "cdn", "video", "item", "list", "2024", "user",
        "detail", "search", "index", "api", "v2", "content", "media", "upload", "thumb", "player", "page", "home",
        "sport", "finance", "tech", "article", "photo", "view", "data", "common", "lib", "app", "m", "s", "a"};
    return Pick(kWords);
  }

  std::string Host() {
    static const std::vector<std::string> kHosts = {
        "www.sina.com.cn", "news.163.com", "www.qq.com", "v.qq.com", "www.baidu.com", "img.alicdn.com",
        "www.sohu.com", "www.example.com", "static.example.org", "cdn.jsdelivr.net", "www.bilibili.com",
        "i0.hdslb.com", "www.zhihu.com", "pic1.zhimg.com", "www.youku.com", "tieba.baidu.com"};
    if (!sites_.empty() && Next(3) == 0) return (Next(2) ? "www." : "") + Pick(sites_);
    return Pick(kHosts);
  }

  std::string Extension() {
    static const std::vector<std::string> kExtensions = {".html", ".js", ".css", ".png", ".jpg", ".gif", ".php",
                                                         ".shtml", ".json", ".swf", ".webp", ""};
    return Pick(kExtensions);
  }

  std::string Query() {
    static const std::vector<std::string> kKeys = {"id", "utm_source", "ref", "t", "page", "callback", "v", "q",
                                                   "from", "ad", "ads", "size"};
    std::string query;
    for (uint64_t n = Next(4); n > 0; --n) {
      query += (query.empty() ? "?" : "&") + Pick(kKeys) + "=" + std::to_string(Next(100000));
    }
    return query;
  }

  std::string Ordinary() {
    std::string address = "http://" + Host();
    for (uint64_t n = 1 + Next(4); n > 0; --n) address += "/" + Word();
    return address + Extension() + Query();
  }

  // An address that the line's address part describes: wildcards and separators filled in.
  std::string FromRule() {
    std::string part = Pick(parts_);
    std::string address;
    size_t i = 0;
    if (part.rfind("||", 0) == 0) {
      address = Next(2) ? "http://" : "http://" + Word() + ".";
      i = 2;
    } else if (part.rfind("|", 0) == 0) {
      i = 1;
    } else {
      address = "http://" + Host() + (part[0] == '/' ? "" : "/" + Word());
    }
    for (; i < part.size(); ++i) {
      char c = part[i];
      if (c == '*') {
        address += Next(2) ? Word() : "";
      } else if (c == '^') {
        static const char* kSeparators[] = {"/", "?", "&", ":", "="};
        address += i + 1 == part.size() && Next(2) ? "" : kSeparators[Next(5)];
      } else if (c == '|') {
        if (i + 1 != part.size()) address += c;
      } else {
        address += c;
      }
    }
    if (Next(2)) address += Extension();
    if (Next(3) == 0) address += Query();
    return address;
  }

  std::string Mutated(std::string address) {
    if (address.size() < 10) return address;
    size_t at = 7 + Next(address.size() - 7);
    switch (Next(4)) {
      case 0: address[at] = static_cast<char>(address[at] >= 'a' && address[at] <= 'z' ? address[at] - 32 : 'x'); break;
      case 1: address.erase(at, 1); break;
      case 2: address.resize(at); break;
      default: address.insert(at, "/" + Word()); break;
    }
    return address;
  }

  std::string LongAddress(size_t length) {
    std::string address = Next(2) ? Ordinary() : FromRule();
    address += address.find('?') == std::string::npos ? "?" : "&";
    static const char kToken[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    while (address.size() < length) {
      switch (Next(6)) {
        case 0: address += "&u=" + Pick(parts_); break;
        case 1: address += "&r=http%3A%2F%2F" + Host() + "%2F" + Word(); break;
        case 2: address += "&" + Word() + "=" + Word() + "." + Word(); break;
        default:
          address += "&d=";
          for (uint64_t n = 20 + Next(200); n > 0; --n) address += kToken[Next(64)];
      }
    }
    address.resize(length);
    return address;
  }

  std::string Unusual() {
    std::string address = Next(2) ? Ordinary() : FromRule();
    static const std::vector<std::string> kOdd = {"\xD6\xD0\xCE\xC4", "\xB9\xE3\xB8\xE6", "\t", "\x01", "%00",
                                                  "\r\n", "\x7F", "\xFF\xFE", "|", "\\", "[]", "{}", "$"};
    address.insert(7 + Next(address.size() - 6), Pick(kOdd));
    return address;
  }

  uint64_t state_;
  std::vector<std::string> parts_;
  std::vector<std::string> sites_;
};
