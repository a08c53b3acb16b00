// What the proxy does with one browser connection: read the head, judge it, connect,
// rewrite and forward the request, and pass the response back.
#include <algorithm>
#include <chrono>
#include <system_error>
#include <vector>

#include "proxy/canonical_host.h"
#include "proxy/local_proxy.h"
#include "proxy/safe_search.h"

namespace {

constexpr std::string_view kVersionMark = " HTTP/1.";
constexpr std::string_view kBadRequestReply = "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n";

}  // namespace

void CLocalProxy::HandleConnection(CProxyConnection& connection) {
  std::string head;
  size_t received = 0;
  size_t head_length = 0;
  std::vector<char> buffer(kHeadBufferSize);
  // The whole head must arrive in time, however it is split: a client that trickles
  // bytes cannot hold its connection and thread for longer.
  auto head_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.head_timeout_ms);
  while (!stopping_) {
    if (!WaitToReceive(connection.client, head_deadline, stopping_)) return;
    long got = ReceiveSome(connection.client, buffer.data(), buffer.size());
    if (got <= 0) break;
    size_t search_from = head.size() >= 3 ? head.size() - 3 : 0;
    head.append(buffer.data(), static_cast<size_t>(got));
    received += static_cast<size_t>(got);
    size_t blank_line = head.find("\r\n\r\n", search_from);
    if (blank_line != std::string::npos) {
      head_length = blank_line + 4;
      break;
    }
    if (head.size() > kMaxHeadSize) return;
  }
  if (stopping_ || received == 0) return;

  size_t version = head.find(kVersionMark);
  size_t first_space = head.find(' ');
  if (version == std::string::npos || first_space > version) return RefuseRequest(connection);
  if (version + kVersionMark.size() < head.size()) head[version + kVersionMark.size()] = '0';

  std::string method_prefix = head.substr(0, first_space + 1);
  connection.url = head.substr(first_space + 1, version - first_space - 1);
  connection.refererHost = CanonicalHost(RefererHost(head));
  UrlParts parts = SplitUrl(connection.url);
  if (!parts.port_ok || parts.host.empty() || parts.host.size() > kMaxHostLength) return RefuseRequest(connection);

  RequestVerdict verdict = Classify(connection, head, UrlDecodeToLocal(connection.url), parts);
  if (verdict != RequestVerdict::kPassWhite && verdict != RequestVerdict::kPassFiltered) return;
  if (verdict == RequestVerdict::kPassWhite && version + kVersionMark.size() < head.size()) {
    head[version + kVersionMark.size()] = '1';
  }

  if (!ConnectUpstream(connection, std::string(UpstreamName(connection.host)), parts.port)) return;

  // Only the request line decides: a header or body that mentions the word does not turn
  // an ordinary request into a tunnel.
  if (method_prefix == "CONNECT ") {
    if (!stopping_ && SendAll(connection.client, kConnectReply)) Tunnel(connection);
    return;
  }

  std::string request = method_prefix;
  request.append(parts.path);
  request.append(head, version, std::string::npos);
  ReplaceHeaderLine(request, "Proxy-Connection:", "Connection: close");
  if (verdict == RequestVerdict::kPassFiltered) ReplaceHeaderLine(request, "Accept-Encoding:", "Accept-Encoding: gzip");
  if (stopping_ || !SendAll(connection.upstream, request)) return;

  // The body length comes from the header section only, never from body bytes that
  // happened to arrive with it.
  std::string_view header_section = std::string_view(head).substr(0, head_length > 0 ? head_length : head.size());
  int content_length = ContentLengthOf(header_section);
  if (content_length > 0) {
    size_t expected = static_cast<size_t>(content_length) + head_length;
    while (received < expected && !stopping_) {
      long got = ReceiveSome(connection.client, buffer.data(), std::min(buffer.size(), expected - received));
      if (got <= 0 || !SendAll(connection.upstream, std::string_view(buffer.data(), static_cast<size_t>(got)))) break;
      received += static_cast<size_t>(got);
    }
  }

  if (verdict == RequestVerdict::kPassWhite) {
    Tunnel(connection);
  } else {
    FilterResponse(connection);
  }
}

void CLocalProxy::RefuseRequest(CProxyConnection& connection) { SendAll(connection.client, kBadRequestReply); }

std::string_view CLocalProxy::UpstreamName(std::string_view host) const {
  std::string_view safe = setup_.SafeSearch ? SafeSearchEndpoint(host) : std::string_view();
  return safe.empty() ? host : safe;
}

bool CLocalProxy::ConnectUpstream(CProxyConnection& connection, const std::string& host, uint16_t port) {
  if (stopping_) return false;
  SocketHandle upstream = kNoSocket;
  if (host_cache_->Connect(host, port, &upstream) != 0) return false;
  SetUpstream(connection, upstream);
  return !stopping_;
}

void CLocalProxy::Tunnel(CProxyConnection& connection) {
  if (stopping_) return;
  SocketHandle client = connection.client, upstream = connection.upstream;
  std::thread browser_to_server;
  try {
    browser_to_server = std::thread([this, client, upstream] { Relay(client, upstream); });
  } catch (const std::system_error&) {
    return;  // no thread for the second direction: the connection is closed
  }
  Relay(upstream, client);
  browser_to_server.join();
}

void CLocalProxy::Relay(SocketHandle from, SocketHandle to) {
  std::vector<char> buffer(kRelayBufferSize);
  while (!stopping_) {
    long got = ReceiveSome(from, buffer.data(), buffer.size());
    if (got <= 0 || stopping_ || !SendAll(to, std::string_view(buffer.data(), static_cast<size_t>(got)))) break;
  }
  // Whichever direction ends first ends the other: its blocked receive returns.
  ShutdownSocket(from);
  ShutdownSocket(to);
}
