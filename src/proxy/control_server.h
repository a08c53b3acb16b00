#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "base/thread_annotations.h"
#include "base/thread_group.h"
#include "config/lock_record.h"
#include "config/settings.h"
#include "proxy/listen_socket.h"
#include "rules/shared_lists.h"

// The local control server: a minimal HTTP/1.0 file server for the program's own pages in
// `www`, and the receiver of the in-page toolbar's commands, which arrive as addresses
// whose extension part is a command word (".black", ".white", ".noimg", ".filterimage",
// ".close", ".set") with the site or picture as parameter. One request per connection,
// each on a thread of its own.
//
// Any web page can make the browser ask for such an address (an <img> is enough), and the
// request then comes from this machine like the toolbar's own. So the commands that weaken
// the filter (".white", ".close") are only carried out once the user has confirmed them on
// a page of this server: a plain request for them gets that confirmation page, which holds
// a key made for this run and may not be framed by other pages; its button posts the
// command back with the key, from this server's own origin. A command with a wrong key, or
// sent from another origin, is refused with 403 and changes nothing. The commands that
// only add to the filtering stay open to the page script (the picture button uses one).
//
// Life: construction opens the listening socket; Start() runs the accept loop on the
// server's thread; Stop() ends the loop, wakes and waits for the request threads.
// Destruction stops the server if needed.
class CLocalHttpServer : public CListenSocket {
 public:
  static constexpr size_t kReceiveBufferSize = 15360;
  static constexpr size_t kMaxRequestLine = 4096;
  static constexpr size_t kMaxExtensionPart = 19;
  static constexpr size_t kMaxRelativeName = 259;
  // Files of `www` kept in memory at most; beyond them files are read from disk each time.
  // The folder holds a dozen; the bound only matters against requests that invent names.
  static constexpr size_t kMaxCachedFiles = 64;

  // Bytes of a request body that are read at most (a confirmed command's form).
  static constexpr size_t kMaxBody = 4096;

  // What a request asks for, taken apart.
  struct Request {
    std::string path;       // from the first '/' of the target, query included
    std::string extension;  // from the path's first '.' up to a '?', lower case
    std::string value;      // the parameter after "?xxx=", when there is one
    bool has_value = false;
    bool post = false;
    std::string key;  // the "key" field of a posted form
    // The fields by which the browser tells where the request comes from.
    std::optional<std::string> origin, referer, fetch_site;
  };

  // `lists`, `setup` and `lock` must outlive the server.
  explicit CLocalHttpServer(uint16_t port, SharedLists& lists = TheSharedLists(), SetupRecord& setup = TheSetup(),
                            LockRecord& lock = TheLockRecord());
  ~CLocalHttpServer() override;

  // Accepts until the server stops. Returns 0 when there is no listening socket, 1 when
  // the loop ended.
  int AcceptLoop();
  void Start();
  void Stop();

  // What the ".set" command runs: opens the settings centre on the user-interface thread
  // and returns once it has been opened. Called on request threads; set before Start.
  // Until it is set, ".set" only answers.
  void SetSettingsOpener(std::function<void()> open_settings) { open_settings_ = std::move(open_settings); }

  const std::string& RootFolder() const { return root_folder_; }
  size_t CachedFiles();

  // Takes a received request (head and body) apart. A request line that is not GET or
  // POST, lacks "HTTP/1" or is too long gives an empty path.
  static Request ParseRequest(std::string_view received);
  // The file a path names: the query and the empty and "." segments dropped, so that
  // "/./a//b.png?v=1" and "/a/b.png" are one file (and one cache entry).
  static std::string NormalisedPath(std::string_view path);
  // The content type for an extension part.
  static std::string_view ContentType(std::string_view extension);

 private:
  // What may happen to a command that weakens the filter.
  enum class CommandGate {
    kRun,      // carry it out (or it needs no confirmation)
    kConfirm,  // answer with the confirmation page; change nothing
    kRefuse,   // answer 403; change nothing
  };

  // Runs on the request's thread; owns `client` and closes it.
  void HandleRequest(SocketHandle client);
  // The head and, for a POST, the body (at most kMaxBody bytes) of a request; empty when
  // nothing arrived in time.
  std::string ReceiveRequest(SocketHandle client);
  // The whole reply to a request.
  std::string Reply(const Request& request);
  CommandGate Gate(const Request& request) const;
  // Whether the browser says the request comes from a page of this server.
  bool FromOwnOrigin(const Request& request) const;
  std::string ConfirmationReply(const Request& request);  // Carries out the command the request names, if it is one, and returns the page to
  // answer with; nullopt when the request is not a command.
  std::optional<std::string> RunCommand(const Request& request);
  // The reply for a file path (the not-found page when the file is missing or the path
  // is not acceptable).
  std::string FileReply(std::string path, std::string extension);
  // Content of a file of `www`, from the cache once it has been read with content.
  std::string CachedFile(const std::string& path);

  SharedLists& lists_;
  SetupRecord& setup_;
  LockRecord& lock_;
  const std::string root_folder_ = "www";
  const std::string working_directory_;
  const std::string command_key_;
  std::function<void()> open_settings_;
  std::atomic<bool> stopping_{false};
  std::thread server_thread_;
  ThreadGroup request_threads_;

  std::mutex cache_mu_;
  std::map<std::string, std::string> file_cache_ GUARDED_BY(cache_mu_);

  std::mutex clients_mu_;
  std::unordered_set<SocketHandle> clients_ GUARDED_BY(clients_mu_);
};
