#pragma once

#include <atomic>
#include <mutex>
#include <unordered_set>

#include "base/thread_annotations.h"
#include "platform/sockets.h"
#include "proxy/proxy_connection.h"

// The proxy's open connections, so that a stopping proxy can wake every call blocked on
// their sockets. A connection's socket fields change only under the registry's lock.
//
// Thread-safe.
class CConnectionRegistry {
 public:
  // `stopping` is the proxy's stop flag; it must outlive the registry.
  explicit CConnectionRegistry(const std::atomic<bool>& stopping) : stopping_(stopping) {}

  void Register(CProxyConnection* connection);
  // Unregisters the connection and closes its sockets, each once.
  void Close(CProxyConnection* connection);
  // Gives the connection its upstream socket; shut down at once when the proxy stops.
  void SetUpstream(CProxyConnection& connection, SocketHandle socket);
  size_t Count();
  // Shuts both sockets of every open connection down, so that their blocked calls return.
  void ShutdownAll();

 private:
  const std::atomic<bool>& stopping_;
  std::mutex mu_;
  std::unordered_set<CProxyConnection*> connections_ GUARDED_BY(mu_);
};
