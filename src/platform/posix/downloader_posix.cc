// The POSIX downloader: a small HTTP/1.1 client for plain "http://" addresses. It sends one
// GET with "Connection: close", follows up to five redirects, and takes a body framed by
// Content-Length, by chunked transfer coding or by the end of the connection. Only a 2xx
// status with a complete body counts as success.
//
// HTTPS is refused: it would need a TLS library (OpenSSL or GnuTLS) for the handshake,
// certificate verification against the system's trust store (ca-certificates) and host-name
// checking, with the reads and writes below going through the TLS session instead of the
// socket.
#include "platform/downloader.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/network.h"
#include "platform/posix/posix_files.h"

namespace {

constexpr int kConnectTimeoutMs = 15000;
constexpr int kReceiveTimeoutSeconds = 30;
constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr uint64_t kMaxBodyBytes = uint64_t{1} << 30;
constexpr int kMaxRedirects = 5;

struct HttpAddress {
  std::string host;
  uint16_t port = 80;
  std::string target;  // path and query
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::optional<HttpAddress> ParseHttpAddress(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (url.size() <= kScheme.size() || Lower(url.substr(0, kScheme.size())) != kScheme) return std::nullopt;
  url.remove_prefix(kScheme.size());
  if (size_t fragment = url.find('#'); fragment != std::string_view::npos) url = url.substr(0, fragment);
  size_t authority_end = url.find_first_of("/?");
  std::string_view authority = url.substr(0, authority_end);
  HttpAddress address;
  address.target = authority_end == std::string_view::npos ? "/" : std::string(url.substr(authority_end));
  if (address.target.front() == '?') address.target.insert(0, "/");
  if (authority.find('@') != std::string_view::npos) return std::nullopt;
  size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos) {
    std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    int port = std::atoi(std::string(digits).c_str());
    if (port <= 0 || port > 65535) return std::nullopt;
    address.port = static_cast<uint16_t>(port);
    authority = authority.substr(0, colon);
  }
  if (authority.empty()) return std::nullopt;
  address.host = std::string(authority);
  for (char c : address.target) {
    if (static_cast<unsigned char>(c) <= ' ') return std::nullopt;  // would break the request line
  }
  return address;
}

// One connection: the bytes received so far, read on demand.
class Connection {
 public:
  explicit Connection(SocketHandle socket) : socket_(socket) {}
  ~Connection() { Network::Current().Close(socket_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Send(std::string_view data) { return SendAll(socket_, data); }

  // Receives more bytes into the buffer; false at the end of the connection or on error.
  bool Fill() {
    char chunk[16384];
    long got = ReceiveSome(socket_, chunk, sizeof chunk);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(got));
    return true;
  }

  std::string& buffer() { return buffer_; }

 private:
  SocketHandle socket_;
  std::string buffer_;
};

struct ResponseHead {
  int status = 0;
  std::string location;
  std::optional<uint64_t> content_length;
  bool chunked = false;
};

std::optional<ResponseHead> ParseHead(std::string_view head) {
  size_t line_end = head.find("\r\n");
  std::string_view status_line = head.substr(0, line_end);
  if (!status_line.starts_with("HTTP/1.") || status_line.size() < 12 || status_line[8] != ' ') return std::nullopt;
  ResponseHead parsed;
  for (size_t i = 9; i < 12; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(status_line[i]))) return std::nullopt;
    parsed.status = parsed.status * 10 + (status_line[i] - '0');
  }
  size_t at = line_end == std::string_view::npos ? head.size() : line_end + 2;
  while (at < head.size()) {
    size_t end = head.find("\r\n", at);
    if (end == std::string_view::npos) end = head.size();
    std::string_view line = head.substr(at, end - at);
    at = end + 2;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string name = Lower(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    if (name == "location") {
      parsed.location = std::string(value);
    } else if (name == "transfer-encoding") {
      parsed.chunked = Lower(value).find("chunked") != std::string::npos;
    } else if (name == "content-length") {
      if (value.empty() || value.size() > 19 ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
      }
      uint64_t length = std::strtoull(std::string(value).c_str(), nullptr, 10);
      if (parsed.content_length && *parsed.content_length != length) return std::nullopt;
      parsed.content_length = length;
    }
  }
  return parsed;
}

// Reads a body framed by the chunked transfer coding; false when it is malformed or cut off.
bool ReadChunked(Connection& connection, std::string& body, const Downloader::Progress& progress) {
  std::string& buffer = connection.buffer();
  size_t at = 0;
  for (;;) {
    size_t line_end;
    while ((line_end = buffer.find("\r\n", at)) == std::string::npos) {
      if (buffer.size() - at > 1024 || !connection.Fill()) return false;
    }
    std::string size_text = buffer.substr(at, line_end - at);
    size_text = size_text.substr(0, size_text.find(';'));
    while (!size_text.empty() && size_text.back() == ' ') size_text.pop_back();
    if (size_text.empty() || size_text.size() > 15 ||
        !std::all_of(size_text.begin(), size_text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
      return false;
    }
    uint64_t size = std::strtoull(size_text.c_str(), nullptr, 16);
    at = line_end + 2;
    if (size == 0) return true;  // trailers, if any, carry nothing the download needs
    if (body.size() + size > kMaxBodyBytes) return false;
    while (buffer.size() < at + size + 2) {
      if (!connection.Fill()) return false;
    }
    if (buffer.compare(at + size, 2, "\r\n") != 0) return false;
    body.append(buffer, at, size);
    at += size + 2;
    buffer.erase(0, at);
    at = 0;
    if (progress) progress(body.size(), 0);
  }
}

enum class Fetched { kBody, kRedirect, kFailed };

Fetched FetchOnce(const HttpAddress& address, std::string& body, std::string& location,
                  const Downloader::Progress& progress) {
  std::vector<uint32_t> addresses;
  if (Network::Current().ResolveIPv4(address.host, &addresses) != 0 || addresses.empty()) return Fetched::kFailed;
  SocketHandle socket = Network::Current().Connect(addresses.front(), address.port, kConnectTimeoutMs);
  if (socket == kNoSocket) return Fetched::kFailed;
  // A server that stops sending must not hold the program for ever.
  timeval limit{kReceiveTimeoutSeconds, 0};
  setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  Connection connection(socket);

  std::string host_field = address.host + (address.port == 80 ? "" : ":" + std::to_string(address.port));
  if (!connection.Send("GET " + address.target + " HTTP/1.1\r\nHost: " + host_field +
                       "\r\nUser-Agent: Veltra-Updater\r\nAccept: */*\r\nConnection: close\r\n\r\n")) {
    return Fetched::kFailed;
  }
  std::string& buffer = connection.buffer();
  size_t head_end;
  while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
    if (buffer.size() > kMaxHeadBytes || !connection.Fill()) return Fetched::kFailed;
  }
  std::optional<ResponseHead> head = ParseHead(std::string_view(buffer).substr(0, head_end));
  if (!head) return Fetched::kFailed;
  buffer.erase(0, head_end + 4);
  if (head->status >= 300 && head->status < 400 && head->status != 304 && !head->location.empty()) {
    location = head->location;
    return Fetched::kRedirect;
  }
  if (head->status < 200 || head->status >= 300) return Fetched::kFailed;

  body.clear();
  if (head->chunked) return ReadChunked(connection, body, progress) ? Fetched::kBody : Fetched::kFailed;
  uint64_t total = head->content_length.value_or(0);
  if (total > kMaxBodyBytes) return Fetched::kFailed;
  if (progress) progress(0, total);
  for (;;) {
    body.append(buffer);
    buffer.clear();
    if (progress && !body.empty()) progress(body.size(), total);
    if (body.size() > kMaxBodyBytes) return Fetched::kFailed;
    if (head->content_length && body.size() >= total) break;
    if (!connection.Fill()) break;
  }
  if (head->content_length && body.size() != total) return Fetched::kFailed;  // cut off (or too long)
  return Fetched::kBody;
}

// A redirect's target: absolute, or a path on the same host.
std::string ResolveLocation(const HttpAddress& from, const std::string& location) {
  if (location.starts_with("/")) {
    return "http://" + from.host + ":" + std::to_string(from.port) + location;
  }
  return location;
}

class HttpDownloader : public Downloader {
 public:
  bool Download(std::string_view url, std::string_view file, const Progress& progress) override {
    std::string current(url);
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
      std::optional<HttpAddress> address = ParseHttpAddress(current);
      if (!address) return false;
      std::string body, location;
      switch (FetchOnce(*address, body, location, progress)) {
        case Fetched::kBody: return ReplaceFileAtomically(NativePath(file), body);
        case Fetched::kRedirect: current = ResolveLocation(*address, location); break;
        case Fetched::kFailed: return false;
      }
    }
    return false;
  }
};

}  // namespace

Downloader& Downloader::System() {
  static HttpDownloader downloader;
  return downloader;
}
