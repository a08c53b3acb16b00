// The request head as a browser (or anything else) sends it to the proxy, taken apart
// with the helpers the connection handler uses, in the order it uses them.
#include <cstring>

#include "fuzz_support.h"
#include "proxy/url_helpers.h"

namespace {

bool Within(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string head(AsText(data, size));

  std::string referer = RefererHost(head);
  FUZZ_CHECK(referer.size() <= head.size());
  FUZZ_CHECK(referer.find_first_of("/:") == std::string::npos);

  constexpr std::string_view kVersionMark = " HTTP/1.";
  size_t version = head.find(kVersionMark);
  size_t first_space = head.find(' ');
  std::string url = version != std::string::npos && first_space <= version
                        ? head.substr(first_space + 1, version - first_space - 1)
                        : head;

  UrlParts parts = SplitUrl(url);
  FUZZ_CHECK(Within(parts.host, url));
  FUZZ_CHECK(parts.path == "/" || Within(parts.path, url));
  FUZZ_CHECK(parts.path.empty() || parts.path[0] == '/');
  if (!parts.port_ok) FUZZ_CHECK(parts.port == 0);

  std::string base = BaseDomain(parts.host);
  FUZZ_CHECK(base.empty() || base.find('.') != std::string::npos);
  BaseDomain(head);

  std::string decoded = UrlDecode(url);
  FUZZ_CHECK(decoded.size() <= url.size());
  std::string local = UrlDecodeToLocal(url);
  FUZZ_CHECK(local.find('\0') == std::string::npos);
  std::string high = HighBytes(local) + HighBytes(decoded);
  for (char c : high) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x80);

  std::string request = head;
  ReplaceHeaderLine(request, "Proxy-Connection:", "Connection: close");
  ReplaceHeaderLine(request, "Accept-Encoding:", "Accept-Encoding: gzip");
  if (head.find("Proxy-Connection:") == std::string::npos && head.find("Accept-Encoding:") == std::string::npos) {
    FUZZ_CHECK(request == head);
  }

  int length = ContentLengthOf(head);
  if (head.find("Content-Length: ") == std::string::npos) FUZZ_CHECK(length == -1);
  int utf8 = LooksLikeUtf8(head);
  FUZZ_CHECK(utf8 == 0 || utf8 == 1);
  return 0;
}
