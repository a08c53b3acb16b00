#include "proxy/control_server.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "config/process_flags.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/url_cache.h"
#include "proxy/url_helpers.h"
#include "rules/page_assets.h"

namespace {

constexpr std::string_view kNotFoundPath = "/404.htm";
constexpr std::string_view kCompletedPage = "/OperationCompleted.html";
constexpr std::string_view kUnlockPage = "/ShowUnlock.html";
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

std::string ReplyHead(std::string_view content_type, size_t length) {
  return "HTTP/1.0 200 OK\nContent-Type: " + std::string(content_type) + "\nContent-Length: " +
         std::to_string(length) + "\r\n\r\n";
}

}  // namespace

CLocalHttpServer::CLocalHttpServer(uint16_t port, SharedLists& lists, SetupRecord& setup, LockRecord& lock)
    : CListenSocket(port), lists_(lists), setup_(setup), lock_(lock), working_directory_(WorkingDirectory()) {}

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

  size_t dot = request.path.find('.');
  if (dot == std::string::npos) return request;
  size_t question = request.path.find('?', dot);
  if (question == std::string::npos) {
    request.extension = request.path.substr(dot);
  } else {
    request.extension = request.path.substr(dot, question - dot);
    if (question + kParameterPrefix < request.path.size()) {
      request.value = request.path.substr(question + kParameterPrefix);
      request.has_value = true;
    }
  }
  request.extension = ToLowerAscii(request.extension);
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

std::string CLocalHttpServer::CachedFile(const std::string& path) {
  {
    std::lock_guard lock(cache_mu_);
    auto found = file_cache_.find(path);
    if (found != file_cache_.end() && !found->second.empty()) return found->second;
  }
  std::string content = FileSystem::Current().ReadAll(root_folder_ + path).value_or("");
  std::lock_guard lock(cache_mu_);
  file_cache_[path] = content;
  return content;
}

std::string CLocalHttpServer::FileReply(std::string path, std::string extension) {
  FileSystem& files = FileSystem::Current();
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
  return ReplyHead(ContentType(extension), content.size()) + content;
}

void CLocalHttpServer::HandleRequest(SocketHandle client) {
  std::vector<char> buffer(kReceiveBufferSize);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.head_timeout_ms);
  long got = WaitToReceive(client, deadline, stopping_) ? ReceiveSome(client, buffer.data(), buffer.size()) : 0;
  if (got > 0) {
    Request request = ParseRequest(std::string_view(buffer.data(), static_cast<size_t>(got)));
    std::string path = request.path, extension = request.extension;
    if (extension.size() <= kMaxExtensionPart) {
      if (std::optional<std::string> page = RunCommand(request)) {
        path = std::move(*page);
        extension = ".html";
      }
    }
    if (!stopping_) SendAll(client, FileReply(path, extension));
  }
  {
    std::lock_guard lock(clients_mu_);
    clients_.erase(client);
  }
  CloseSocket(client);
}
