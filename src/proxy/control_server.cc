#include "proxy/control_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "config/process_flags.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/url_cache.h"
#include "proxy/http_head.h"
#include "proxy/url_helpers.h"
#include "rules/page_assets.h"

namespace {

constexpr std::string_view kNotFoundPath = "/404.htm";
constexpr std::string_view kCompletedPage = "/OperationCompleted.html";
constexpr std::string_view kUnlockPage = "/ShowUnlock.html";
constexpr std::string_view kConfirmPage = "/ConfirmCommand.html";
// In UTF-8: "只有 Veltra 工具栏能发出这个命令。"
constexpr std::string_view kRefusalText =
    "\xE5\x8F\xAA\xE6\x9C\x89 Veltra \xE5\xB7\xA5\xE5\x85\xB7\xE6\xA0\x8F\xE8\x83\xBD"
    "\xE5\x8F\x91\xE5\x87\xBA\xE8\xBF\x99\xE4\xB8\xAA\xE5\x91\xBD\xE4\xBB\xA4\xE3\x80\x82";
// The toolbar writes "?xyz=" before a parameter; those five bytes are skipped unread.
constexpr size_t kParameterPrefix = 5;

std::string WorkingDirectory() {
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  return folder.substr(0, 260);
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// A path that could reach outside `www`, or that the limits do not allow, is never served.
bool IsServablePath(std::string_view path, std::string_view root) {
  if (path.find('\\') != std::string_view::npos) return false;
  if (root.size() + path.size() > CLocalHttpServer::kMaxRelativeName) return false;
  for (size_t start = 0; start <= path.size();) {
    size_t end = std::min(path.find_first_of("/?", start), path.size());
    if (path.substr(start, end - start) == "..") return false;
    if (end == path.size() || path[end] == '?') break;
    start = end + 1;
  }
  return true;
}

// 128 random bits in hexadecimal.
std::string NewCommandKey() {
  std::random_device random;
  std::string key;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
    key += part;
  }
  return key;
}

bool EqualInConstantTime(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// The value of `name` in a form body ("a=1&key=2").
std::string FormField(std::string_view body, std::string_view name) {
  for (size_t start = 0; start < body.size();) {
    size_t end = std::min(body.find('&', start), body.size());
    std::string_view pair = body.substr(start, end - start);
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
      return std::string(pair.substr(name.size() + 1));
    }
    start = end + 1;
  }
  return {};
}

// The page script and the toolbar's style sheet, which every filtered page loads: the
// browser may keep them for a while instead of asking again for each page.
bool IsPagePiece(std::string_view path) { return path == "/kezo.js" || path == "/kezo.css"; }

std::string ReplyHead(std::string_view content_type, size_t length, bool cacheable) {
  return "HTTP/1.0 200 OK\nContent-Type: " + std::string(content_type) + "\nContent-Length: " +
         std::to_string(length) + (cacheable ? "\r\nCache-Control: max-age=3600" : "") + "\r\n\r\n";
}

}  // namespace

CLocalHttpServer::CLocalHttpServer(uint16_t port, SharedLists& lists, SetupRecord& setup, LockRecord& lock)
    : CListenSocket(port),
      lists_(lists),
      setup_(setup),
      lock_(lock),
      working_directory_(WorkingDirectory()),
      command_key_(NewCommandKey()) {}

CLocalHttpServer::~CLocalHttpServer() { Stop(); }

int CLocalHttpServer::AcceptLoop() {
  return ServeConnections(stopping_, [this](SocketHandle client) {
    {
      std::lock_guard lock(clients_mu_);
      if (clients_.size() >= limits_.max_connections) {
        CloseSocket(client);
        return;
      }
      clients_.insert(client);
    }
    if (!request_threads_.Spawn([this, client] { HandleRequest(client); })) {
      std::lock_guard lock(clients_mu_);
      clients_.erase(client);
      CloseSocket(client);
    }
  });
}

void CLocalHttpServer::Start() {
  server_thread_ = std::thread([this] { AcceptLoop(); });
}

void CLocalHttpServer::Stop() {
  if (!stopping_.exchange(true)) ServersStopping = true;
  ShutdownListener();
  if (server_thread_.joinable()) server_thread_.join();
  {
    std::lock_guard lock(clients_mu_);
    for (SocketHandle client : clients_) ShutdownSocket(client);
  }
  request_threads_.WaitForAll();
}

CLocalHttpServer::Request CLocalHttpServer::ParseRequest(std::string_view received) {
  Request request;
  size_t line_end = received.find("\r\n");
  if (line_end == std::string_view::npos || line_end > kMaxRequestLine) return request;
  std::string_view line = received.substr(0, line_end);
  if (line.find("GET ") == std::string_view::npos && line.find("POST") == std::string_view::npos) return request;
  size_t version = line.find("HTTP/1");
  if (version == std::string_view::npos || version < 5) return request;
  std::string_view target = line.substr(4, version - 1 - 4);
  size_t slash = target.find('/');
  if (slash == std::string_view::npos) return request;
  request.path = std::string(target.substr(slash));

  // The extension part is read from the file the path names, so "/./logo.png" is a picture.
  std::string file = NormalisedPath(request.path);
  if (size_t dot = file.find('.'); dot != std::string::npos) request.extension = ToLowerAscii(file.substr(dot));
  size_t dot = request.path.find('.');
  size_t question = dot == std::string::npos ? std::string::npos : request.path.find('?', dot);
  if (question != std::string::npos && question + kParameterPrefix < request.path.size()) {
    request.value = request.path.substr(question + kParameterPrefix);
    request.has_value = true;
  }
  request.post = line.starts_with("POST");
  size_t head_end = received.find("\r\n\r\n");
  std::string_view head = received.substr(0, head_end);
  auto field = [&](std::string_view name) -> std::optional<std::string> {
    std::optional<std::string_view> value = FindHeaderField(head, name);
    return value ? std::optional<std::string>(std::string(*value)) : std::nullopt;
  };
  request.origin = field("Origin");
  request.referer = field("Referer");
  request.fetch_site = field("Sec-Fetch-Site");
  if (request.post && head_end != std::string_view::npos) request.key = FormField(received.substr(head_end + 4), "key");
  return request;
}

std::string_view CLocalHttpServer::ContentType(std::string_view extension) {
  if (extension.empty()) return "text/html";
  if (extension == ".bmp") return "application/x-bmp";
  if (extension == ".png") return "image/png";
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension.find(".htm") != std::string_view::npos) return "text/html";
  if (extension == ".css") return "text/css";
  if (extension == ".js") return "application/x-javascript";
  return "application/octet-stream";
}

bool CLocalHttpServer::FromOwnOrigin(const Request& request) const {
  const std::string port = ":" + std::to_string(Port());
  auto own = [&](std::string_view origin) {
    for (std::string_view host : {"http://127.0.0.1", "http://localhost"}) {
      if (origin == std::string(host) + port || (Port() == 80 && origin == host)) return true;
    }
    return false;
  };
  if (request.fetch_site && *request.fetch_site != "same-origin") return false;
  if (request.origin && !own(*request.origin)) return false;
  if (request.referer) {
    std::string_view referer = *request.referer;
    size_t path = referer.find('/', referer.find("://") == std::string_view::npos ? 0 : referer.find("://") + 3);
    if (!own(referer.substr(0, path))) return false;
  }
  return true;
}

CLocalHttpServer::CommandGate CLocalHttpServer::Gate(const Request& request) const {
  bool weakens = request.extension == ".close" || (request.extension == ".white" && request.has_value);
  if (!weakens) return CommandGate::kRun;
  // A locked program refuses to trust a site anyway (RunCommand says so); no need to ask.
  if (request.extension == ".white" && (lock_.LOCKED || setup_.JieSeActive)) return CommandGate::kRun;
  if (!request.post && request.key.empty()) return CommandGate::kConfirm;
  bool confirmed = request.post && EqualInConstantTime(request.key, command_key_) && FromOwnOrigin(request);
  return confirmed ? CommandGate::kRun : CommandGate::kRefuse;
}

std::string CLocalHttpServer::ConfirmationReply(const Request& request) {
  std::string page = FileSystem::Current().ReadAll(root_folder_ + std::string(kConfirmPage)).value_or("");
  ReplaceAll(page, "KEZO_COMMAND", request.extension.substr(1));
  ReplaceAll(page, "KEZO_SITE", HtmlEscaped(request.value));
  ReplaceAll(page, "KEZO_ACTION", HtmlEscaped(request.path));
  ReplaceAll(page, "KEZO_KEY", command_key_);
  // Never inside another page, where a hidden frame could draw the user's click onto it.
  return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
         std::to_string(page.size()) +
         "\r\nCache-Control: no-store\r\nX-Frame-Options: DENY\r\n"
         "Content-Security-Policy: frame-ancestors 'none'\r\n\r\n" +
         page;
}

std::string CLocalHttpServer::Reply(const Request& request) {
  if (request.extension.size() <= kMaxExtensionPart) {
    switch (Gate(request)) {
      case CommandGate::kConfirm:
        return ConfirmationReply(request);
      case CommandGate::kRefuse:
        return "HTTP/1.0 403 Forbidden\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
               std::to_string(kRefusalText.size()) + "\r\nCache-Control: no-store\r\n\r\n" + std::string(kRefusalText);
      case CommandGate::kRun:
        break;
    }
    if (std::optional<std::string> page = RunCommand(request)) return FileReply(std::move(*page), ".html");
  }
  return FileReply(request.path, request.extension);
}

std::optional<std::string> CLocalHttpServer::RunCommand(const Request& request) {
  const std::string& command = request.extension;
  UrlCache& cache = UrlCache::Current();
  if (command == ".close") {
    setup_.SetWebControl(0);
  } else if (command == ".set") {
    if (open_settings_) open_settings_();
  } else if (!request.has_value) {
    return std::nullopt;
  } else if (command == ".filterimage") {
    std::string address = UrlDecodeToLocal(request.value);
    cache.Remove(LocalToWide(address));
    lists_.urlList.Add(std::string_view(address), true);
  } else if (command == ".black") {
    lists_.userBlackDomains.Add(std::string_view(request.value), true);
  } else if (command == ".white") {
    // Neither a locked program nor the forced abstinence mode lets the toolbar exempt a
    // site from filtering.
    if (lock_.LOCKED || setup_.JieSeActive) return std::string(kUnlockPage);
    lists_.userWhiteDomains.Add(std::string_view(request.value), true);
  } else if (command == ".noimg") {
    // The toolbar sends the address percent-encoded; its site is taken from the decoded
    // form, or a path after the host would end up in the entry.
    std::string address = UrlDecodeToLocal(request.value);
    cache.Remove(LocalToWide(address));
    if (lists_.userNoImageDomains.Add(std::string_view(BaseDomain(address)), true)) {
      setup_.SetNonePicture(2);
      WriteParamScript(setup_);
    }
  } else {
    return std::nullopt;
  }
  return std::string(kCompletedPage);
}

std::string CLocalHttpServer::NormalisedPath(std::string_view path) {
  std::string normalised;
  size_t end = std::min(path.find('?'), path.size());
  for (size_t start = 0; start < end;) {
    size_t slash = std::min(path.find('/', start), end);
    std::string_view segment = path.substr(start, slash - start);
    if (!segment.empty() && segment != ".") normalised.append("/").append(segment);
    start = slash + 1;
  }
  if (normalised.empty() || (end > 0 && path[end - 1] == '/')) normalised += "/";
  return normalised;
}

size_t CLocalHttpServer::CachedFiles() {
  std::lock_guard lock(cache_mu_);
  return file_cache_.size();
}

std::string CLocalHttpServer::CachedFile(const std::string& path) {
  {
    std::lock_guard lock(cache_mu_);
    auto found = file_cache_.find(path);
    if (found != file_cache_.end() && !found->second.empty()) return found->second;
  }
  std::string content = FileSystem::Current().ReadAll(root_folder_ + path).value_or("");
  std::lock_guard lock(cache_mu_);
  if (file_cache_.size() < kMaxCachedFiles || file_cache_.count(path) > 0) file_cache_[path] = content;
  return content;
}

std::string CLocalHttpServer::FileReply(std::string path, std::string extension) {
  FileSystem& files = FileSystem::Current();
  path = NormalisedPath(path);
  if (!IsServablePath(path, root_folder_) || extension.size() > kMaxExtensionPart ||
      !files.Exists(root_folder_ + path)) {
    path = std::string(kNotFoundPath);
    extension = ".htm";
  }
  std::string content;
  bool not_found = path == kNotFoundPath;
  if (path.find('.') != std::string::npos && path != "/param.js") {
    content = CachedFile(path);
  } else {
    std::optional<std::string> file = files.ReadAll(root_folder_ + path);
    not_found = !file.has_value();
    content = file ? std::move(*file) : files.ReadAll(root_folder_ + std::string(kNotFoundPath)).value_or("");
  }
  // The not-found page doubles as the proxy's block page, a complete reply with its own
  // head; here it follows this server's head, so only its body is sent.
  if (not_found && content.starts_with("HTTP/")) {
    size_t body = content.find("\r\n\r\n");
    content.erase(0, body == std::string::npos ? content.size() : body + 4);
  }
  return ReplyHead(ContentType(extension), content.size(), !not_found && IsPagePiece(path)) + content;
}

std::string CLocalHttpServer::ReceiveRequest(SocketHandle client) {
  std::string received;
  std::vector<char> buffer(kReceiveBufferSize);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.head_timeout_ms);
  size_t wanted = kReceiveBufferSize;
  while (received.size() < wanted && WaitToReceive(client, deadline, stopping_)) {
    long got = ReceiveSome(client, buffer.data(), std::min(buffer.size(), wanted - received.size()));
    if (got <= 0) break;
    received.append(buffer.data(), static_cast<size_t>(got));
    size_t head_end = received.find("\r\n\r\n");
    if (head_end == std::string::npos) continue;
    // A GET is answered from its head; a POST's form follows it.
    std::optional<std::string_view> length = FindHeaderField(std::string_view(received).substr(0, head_end + 2), "Content-Length");
    std::optional<size_t> body = length && received.starts_with("POST") ? ParseContentLength(*length, kMaxBody) : std::nullopt;
    wanted = head_end + 4 + body.value_or(0);
  }
  return received;
}

void CLocalHttpServer::HandleRequest(SocketHandle client) {
  std::string received = ReceiveRequest(client);
  if (!received.empty() && !stopping_) SendAll(client, Reply(ParseRequest(received)));
  {
    std::lock_guard lock(clients_mu_);
    clients_.erase(client);
  }
  CloseSocket(client);
}
