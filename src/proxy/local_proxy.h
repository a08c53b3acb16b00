#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "base/thread_group.h"
#include "config/settings.h"
#include "proxy/connection_registry.h"
#include "proxy/listen_socket.h"
#include "proxy/proxy_config.h"
#include "rules/shared_lists.h"

// The filtering proxy's listener: accepts browser connections on its port and hands each
// to a CProxySession on a thread of its own.
//
// Life: construction opens the listening socket; Start() loads the configuration (the
// lists) and then runs the accept loop on the proxy thread; Stop() ends everything: the
// accept loop, every open connection (their blocked calls are woken) and, before it
// returns, every connection thread. Destruction stops the proxy if needed.
//
// Bounds (ServerLimits, set before Start): the time and size of a request head, the
// number of open connections, and the silence of a server during a filtered response; a
// connection that passes one is closed. Tunnels are not limited in time.
//
// Thread safety: Start and Stop on the owning thread; the configuration's reloads on any
// thread while connections run.
class CLocalProxy : public CListenSocket {
 public:
  // `lists` and `setup` must outlive the proxy.
  CLocalProxy(uint16_t port, SharedLists& lists, SetupRecord& setup = TheSetup());
  ~CLocalProxy() override;

  // What the connections judge by. Set its word filters and control server port before
  // Start; it is loaded by Start.
  CProxyConfig& Config() { return config_; }

  // Work for the proxy thread once the configuration is loaded and before connections are
  // accepted (pointing the system's proxy setting at this proxy). Set before Start().
  void SetOnReady(std::function<void()> on_ready) { on_ready_ = std::move(on_ready); }

  // Loads the configuration and runs the accept loop on the proxy thread.
  void Start();
  // Stops accepting, wakes and ends every connection and waits for their threads. Safe to
  // call more than once.
  void Stop();

  bool IsStopping() const { return stopping_; }
  size_t OpenConnections() { return registry_.Count(); }

 private:
  // What connections freed goes back to the system once the last open one has ended, so
  // that a busy moment's memory does not stay with the idle proxy: when this long has
  // passed since the last time, or this many connections have ended since (the end of a
  // short burst is trimmed too).
  static constexpr std::chrono::milliseconds kIdleTrimInterval{250};
  static constexpr size_t kIdleTrimConnections = 64;

  // Handles the accepted browser connection on a thread of its own.
  void RunConnectionThread(SocketHandle client);
  // Called as each connection ends: returns freed memory to the system when no
  // connection is open and a trim is due (kIdleTrimInterval, kIdleTrimConnections).
  void TrimWhenIdle();

  CProxyConfig config_;
  std::function<void()> on_ready_;
  std::atomic<bool> stopping_{false};
  std::thread proxy_thread_;
  CConnectionRegistry registry_{stopping_};
  ThreadGroup connection_threads_;
  std::atomic<std::chrono::steady_clock::rep> last_trim_{0};
  std::atomic<size_t> ended_since_trim_{0};
};
