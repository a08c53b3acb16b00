#include "proxy/proxy_session.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

#include "proxy/canonical_host.h"
#include "proxy/http_response.h"
#include "proxy/listen_socket.h"
#include "proxy/memory_budget.h"

namespace {

constexpr std::string_view kBadRequestReply = "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
// In UTF-8: "Veltra 已阻止访问这个网站。" A browser shows its own page for a refused
// tunnel; the text is for other clients.
constexpr std::string_view kRefusedTunnelText =
    "Veltra \xE5\xB7\xB2\xE9\x98\xBB\xE6\xAD\xA2\xE8\xAE\xBF\xE9\x97\xAE\xE8\xBF\x99\xE4\xB8\xAA\xE7\xBD\x91"
    "\xE7\xAB\x99\xE3\x80\x82";
// Request bodies may be as large as a client likes; only the count must not overflow.
constexpr size_t kMaxBodyLength = size_t{1} << 60;

bool IsConnectionField(std::string_view name) {
  for (std::string_view hop : {"connection", "proxy-connection", "keep-alive"}) {
    if (name.size() == hop.size() && std::equal(name.begin(), name.end(), hop.begin(), [](char a, char b) {
          return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
        })) {
      return true;
    }
  }
  return false;
}

bool IsNamed(const HeaderField& field, std::string_view name) {
  return field.name.size() == name.size() && std::equal(name.begin(), name.end(), field.name.begin(), [](char a, char b) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(a) == lower(b);
         });
}

}  // namespace

std::string CProxySession::RefusedTunnelReply() {
  return "HTTP/1.1 403 Forbidden\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
         std::to_string(kRefusedTunnelText.size()) + "\r\nConnection: close\r\n\r\n" + std::string(kRefusedTunnelText);
}

std::string CProxySession::ForwardedHead(const RequestHead& request, std::string_view path, RequestVerdict verdict) {
  const bool white = verdict == RequestVerdict::kPassWhite;
  // White requests go out as HTTP/1.1, whose connections stay open unless told otherwise;
  // the proxy carries one request per connection, so the server is always told to close.
  std::string head = request.method + " " + std::string(path) + (white ? " HTTP/1.1\r\n" : " HTTP/1.0\r\n");
  bool close_sent = false;
  for (const HeaderField& field : request.fields) {
    if (IsConnectionField(field.name)) {
      if (!close_sent) head += "Connection: close\r\n";
      close_sent = true;
    } else if (!white && IsNamed(field, "Accept-Encoding")) {
      head += "Accept-Encoding: gzip\r\n";  // the one coding the response filter undoes
    } else {
      head += field.name + ": " + field.value + "\r\n";
    }
  }
  if (white && !close_sent) head += "Connection: close\r\n";
  return head + "\r\n";
}

bool CProxySession::ReadHead(std::string& head, size_t& head_length) {
  std::vector<char> buffer(kHeadBufferSize);
  // The whole head must arrive in time, however it is split: a client that trickles
  // bytes cannot hold its connection and thread for longer.
  auto head_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.head_timeout_ms);
  while (!stopping_) {
    if (!CListenSocket::WaitToReceive(connection_.client, head_deadline, stopping_)) return false;
    long got = ReceiveSome(connection_.client, buffer.data(), buffer.size());
    if (got <= 0) break;  // a head cut short by a close is taken as far as it came
    size_t search_from = head.size() >= 3 ? head.size() - 3 : 0;
    head.append(buffer.data(), static_cast<size_t>(got));
    size_t blank_line = head.find("\r\n\r\n", search_from);
    if (blank_line != std::string::npos) {
      head_length = blank_line + 4;
      return true;
    }
    if (head.size() > kMaxHeadSize) return false;
  }
  head_length = head.size();
  return !stopping_ && !head.empty();
}

void CProxySession::Run() {
  std::string received;
  size_t head_length = 0;
  if (!ReadHead(received, head_length)) return;
  std::optional<RequestHead> request = ParseRequestHead(std::string_view(received).substr(0, head_length));
  if (!request) return RefuseRequest();
  connection_.url = request->target;
  connection_.refererHost = CanonicalHost(RefererHost(received.substr(0, head_length)));
  UrlParts parts = SplitUrl(connection_.url);
  if (!parts.port_ok || parts.host.empty() || parts.host.size() > kMaxHostLength) return RefuseRequest();
  RequestBody body = BodyOf(*request, kMaxBodyLength);
  if (body.framing == RequestBody::kInvalid) return RefuseRequest();

  connection_.host = CanonicalHost(parts.host);
  RequestVerdict verdict = config_.Judge(connection_.url, parts, connection_.refererHost).verdict;
  if (!SendReplyFor(*request, verdict)) return;
  if (!ConnectUpstream(std::string(config_.UpstreamName(connection_.host)), parts.port)) return;

  if (request->IsConnect()) {
    if (!stopping_ && SendAll(connection_.client, kConnectReply)) Tunnel(TunnelDirections::kBoth);
    return;
  }
  if (stopping_ || !SendAll(connection_.upstream, ForwardedHead(*request, parts.path, verdict))) return;
  if (!ForwardBody(body, std::string_view(received).substr(head_length))) return;

  if (verdict == RequestVerdict::kPassWhite) {
    Tunnel(TunnelDirections::kServerToBrowser);
  } else {
    FilterResponse();
  }
}

bool CProxySession::SendReplyFor(const RequestHead& request, RequestVerdict verdict) {
  switch (verdict) {
    case RequestVerdict::kPassWhite:
    case RequestVerdict::kPassFiltered:
      return true;
    case RequestVerdict::kDrop:
      return false;
    case RequestVerdict::kBlockPage:
    case RequestVerdict::kBlankImage:
      // A page or picture in reply to CONNECT would read as an open tunnel; the browser
      // would then show a certificate error instead of a refused connection.
      if (request.IsConnect()) {
        SendReply(RefusedTunnelReply());
      } else {
        SendReply(verdict == RequestVerdict::kBlockPage ? config_.BlockPage() : config_.BlankImage());
      }
      return false;
  }
  return false;
}

bool CProxySession::ForwardBody(const RequestBody& body, std::string_view arrived) {
  if (body.framing == RequestBody::kNone) return true;
  CChunkedBodyEnd chunks;
  size_t left = body.length;
  // Passes on the part of `bytes` that belongs to the body; false when the body is over.
  auto pass = [&](std::string_view bytes) {
    size_t take = body.framing == RequestBody::kChunked ? chunks.Take(bytes) : std::min(left, bytes.size());
    if (body.framing == RequestBody::kLength) left -= take;
    if (take > 0 && (stopping_ || !SendAll(connection_.upstream, bytes.substr(0, take)))) return false;
    return body.framing == RequestBody::kChunked ? !chunks.Done() && !chunks.Failed() : left > 0;
  };
  if (!arrived.empty() && !pass(arrived)) return !chunks.Failed();
  std::vector<char> buffer(kHeadBufferSize);
  while (!stopping_) {
    long got = ReceiveSome(connection_.client, buffer.data(), buffer.size());
    if (got <= 0) return false;
    if (!pass(std::string_view(buffer.data(), static_cast<size_t>(got)))) return !chunks.Failed() && !stopping_;
  }
  return false;
}

void CProxySession::RefuseRequest() { SendAll(connection_.client, kBadRequestReply); }

bool CProxySession::ConnectUpstream(const std::string& host, uint16_t port) {
  if (stopping_) return false;
  // Most requests go to hosts seen before, whose recorded address answers at once: those
  // are connected here, which saves a thread per request, and a stopping proxy waits for
  // such a connect at most kQuickConnectMs.
  SocketHandle socket = kNoSocket;
  CHostCache::RecordedConnect recorded = config_.HostCache()->ConnectRecorded(host, port, kQuickConnectMs, &socket);
  if (recorded != CHostCache::RecordedConnect::kConnected) {
    socket = ConnectOffThread(host, port, recorded == CHostCache::RecordedConnect::kFailed);
  }
  if (socket == kNoSocket) return false;
  registry_.SetUpstream(connection_, socket);
  return !stopping_;
}

SocketHandle CProxySession::ConnectOffThread(const std::string& host, uint16_t port, bool resolve_afresh) {
  // Name resolution cannot be woken and a connect may take seconds: both run on a thread
  // of their own, so that a stopping proxy never waits for them. What such a thread finds
  // after the connection gave up is closed there; it holds only the shared cache.
  struct Attempt {
    std::mutex mu;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    SocketHandle socket = kNoSocket;
  };
  auto attempt = std::make_shared<Attempt>();
  // Taken once here before two threads contend for it: the Windows threads library sets a
  // mutex up at its first lock, and two first locks at once may fail there.
  { std::lock_guard first_use(attempt->mu); }
  try {
    std::thread([attempt, cache = config_.HostCache(), host, port, resolve_afresh] {
      SocketHandle socket = kNoSocket;
      int failed = resolve_afresh ? cache->ConnectResolved(host, port, &socket) : cache->Connect(host, port, &socket);
      if (failed != 0) socket = kNoSocket;
      std::lock_guard lock(attempt->mu);
      if (attempt->abandoned) {
        if (socket != kNoSocket) CloseSocket(socket);
        return;
      }
      attempt->socket = socket;
      attempt->done = true;
      attempt->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return kNoSocket;  // no thread to be had: the connection is dropped
  }
  std::unique_lock lock(attempt->mu);
  while (!attempt->done && !stopping_) attempt->finished.wait_for(lock, std::chrono::milliseconds(100));
  if (!attempt->done) {
    attempt->abandoned = true;
    return kNoSocket;
  }
  return attempt->socket;
}

void CProxySession::Tunnel(TunnelDirections directions) {
  if (stopping_) return;
  SocketHandle client = connection_.client, upstream = connection_.upstream;
  // After a white request's body the browser has nothing more to say to that server: what
  // it still sends is read and dropped, and its close ends the relay as in a tunnel.
  SocketHandle browser_bytes_to = directions == TunnelDirections::kBoth ? upstream : kNoSocket;
  std::thread browser_to_server;
  try {
    browser_to_server = std::thread([this, client, upstream, browser_bytes_to] {
      try {
        Relay(client, browser_bytes_to);
      } catch (const std::bad_alloc&) {  // no buffer: this tunnel ends, nothing else
      }
      ShutdownSocket(client);
      ShutdownSocket(upstream);
    });
  } catch (const std::system_error&) {
    return;  // no thread for the second direction: the connection is closed
  }
  try {
    Relay(upstream, client);
  } catch (const std::bad_alloc&) {
    ShutdownSocket(upstream);
    ShutdownSocket(client);
  }
  browser_to_server.join();
}

void CProxySession::Relay(SocketHandle from, SocketHandle to) {
  std::vector<char> buffer(kRelayBufferSize);
  while (!stopping_) {
    long got = ReceiveSome(from, buffer.data(), buffer.size());
    if (got <= 0 || stopping_) break;
    if (to != kNoSocket && !SendAll(to, std::string_view(buffer.data(), static_cast<size_t>(got)))) break;
  }
  // Whichever direction ends first ends the other: its blocked receive returns.
  ShutdownSocket(from);
  if (to != kNoSocket) ShutdownSocket(to);
}

void CProxySession::SendReply(const std::string& reply) {
  if (!stopping_ && !reply.empty()) SendAll(connection_.client, reply);
}

// Pictures may be swapped for a blank one, pages are collected, rewritten and judged, the
// rest streams.
void CProxySession::FilterResponse() {
  if (stopping_) return;
  // Every filtered connection holds its buffer at once. A page is collected in a block of
  // its own, so the head and a page's bytes pass through a small one; what streams
  // through gets the relay's size, as each send wakes the browser's side.
  constexpr size_t kPageReceiveSize = 16 * 1024;
  CBudgetShare budget_share(config_.PageBudget());
  CHttpResponse response(config_.BlackFilter(), config_.WhiteFilter(), config_.PageAssets(), config_.Setup(),
                         &budget_share);
  response.SetSuppressPictures(config_.SuppressesPictures(connection_.url, connection_.host, connection_.refererHost));
  response.SetNoImageScript(config_.SendsNoImageScript(connection_.host, connection_.refererHost));
  std::vector<char> buffer(kPageReceiveSize);
  const auto idle_limit = std::chrono::milliseconds(limits_.response_idle_ms);
  std::string out;
  for (ResponseStep step = ResponseStep::kNeedMore;;) {
    if (stopping_) return;
    // A server that falls silent ends the response as a close would.
    long got = CListenSocket::WaitToReceive(connection_.upstream, std::chrono::steady_clock::now() + idle_limit,
                                            stopping_)
                   ? ReceiveSome(connection_.upstream, buffer.data(), buffer.size())
                   : 0;
    if (stopping_) return;
    step = got > 0 ? response.Advance(std::string_view(buffer.data(), static_cast<size_t>(got)), out)
                   : response.Finish(out);
    switch (step) {
      case ResponseStep::kNeedMore:
        continue;
      case ResponseStep::kForward:
      case ResponseStep::kStream:
        if (!SendAll(connection_.client, out)) return;
        if (buffer.size() < kRelayBufferSize) buffer.resize(kRelayBufferSize);
        continue;
      case ResponseStep::kBlankImage:
        SendAll(connection_.client, CHttpResponse::ImageReply(config_.BlankImage()));
        return;
      case ResponseStep::kAbort:
        return;
      case ResponseStep::kComplete:
        if (!out.empty()) SendAll(connection_.client, out);
        return;
      case ResponseStep::kPageReady:
        SendPage(std::move(out), response.Links());
        return;
    }
  }
}

void CProxySession::SendPage(std::string page, const LinkCounts& links) {
  switch (config_.JudgePage(connection_.host, links)) {
    case CProxyConfig::PageJudgement::kDeliver:
      break;
    case CProxyConfig::PageJudgement::kDrop:
      return;
    case CProxyConfig::PageJudgement::kTipPage:
      config_.LearnSite(connection_.host);
      page = BuildTipPage("200 OK",
                          "http://localhost:" + std::to_string(config_.ControlServerPort()) + "/IntellFilterTip.html");
      break;
  }
  if (!stopping_) SendAll(connection_.client, page);
}
