// The request head as a browser (or anything else) sends it to the proxy, taken apart
// once by ParseRequestHead as the connection does, then the helpers that read its parts,
// the head that goes to the web server, and the end of a chunked body after it.
#include <cstring>

#include "fuzz_support.h"
#include "proxy/http_head.h"
#include "proxy/proxy_session.h"
#include "proxy/url_helpers.h"

namespace {

bool Within(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string received(AsText(data, size));
  size_t blank_line = received.find("\r\n\r\n");
  size_t head_length = blank_line == std::string::npos ? received.size() : blank_line + 4;
  std::string_view head = std::string_view(received).substr(0, head_length);

  std::string referer = RefererHost(head);
  FUZZ_CHECK(referer.size() <= head.size());
  FUZZ_CHECK(referer.find_first_of("/:") == std::string::npos);

  std::optional<RequestHead> request = ParseRequestHead(head);
  if (!request) return 0;
  FUZZ_CHECK(!request->method.empty() && request->method.find(' ') == std::string::npos);
  FUZZ_CHECK(!request->target.empty() && request->target.find('\n') == std::string::npos);
  for (const HeaderField& field : request->fields) {
    FUZZ_CHECK(field.name.find_first_of(":\r\n") == std::string::npos);
    FUZZ_CHECK(field.value.find('\n') == std::string::npos);
    FUZZ_CHECK(request->Field(field.name).has_value());
  }

  UrlParts parts = SplitUrl(request->target);
  FUZZ_CHECK(Within(parts.host, request->target));
  FUZZ_CHECK(parts.path == "/" || Within(parts.path, request->target));
  FUZZ_CHECK(parts.path.empty() || parts.path[0] == '/');
  if (!parts.port_ok) FUZZ_CHECK(parts.port == 0);
  std::string base = BaseDomain(parts.host);
  // A registrable domain has a dot, unless the host is an address (IPv6 in brackets, or
  // IPv4 digits), which is its own.
  const bool address = !base.empty() && (base.front() == '[' || base.find_first_not_of("0123456789.") == std::string::npos);
  FUZZ_CHECK(base.empty() || base.find('.') != std::string::npos || address);

  std::string local = UrlDecodeToLocal(request->target);
  FUZZ_CHECK(local.find('\0') == std::string::npos);
  for (char c : HighBytes(local)) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x80);

  // The forwarded head is one head: a single blank line, at its end, and one close field.
  for (RequestVerdict verdict : {RequestVerdict::kPassWhite, RequestVerdict::kPassFiltered}) {
    std::string forwarded = CProxySession::ForwardedHead(*request, parts.path, verdict);
    FUZZ_CHECK(forwarded.find("\r\n\r\n") == forwarded.size() - 4);
    std::optional<RequestHead> again = ParseRequestHead(forwarded);
    FUZZ_CHECK(again.has_value() && again->method == request->method);
    size_t closes = 0;
    for (const HeaderField& field : again->fields) closes += field.name == "Connection";
    FUZZ_CHECK(closes <= 1);
    if (verdict == RequestVerdict::kPassWhite) FUZZ_CHECK(closes == 1);
  }

  RequestBody body = BodyOf(*request, size_t{1} << 40);
  if (body.framing == RequestBody::kChunked) {
    std::string_view rest = std::string_view(received).substr(head_length);
    CChunkedBodyEnd end;
    size_t taken = end.Take(rest);
    FUZZ_CHECK(taken <= rest.size());
    if (!end.Done() && !end.Failed()) FUZZ_CHECK(taken == rest.size());
  }
  return 0;
}
