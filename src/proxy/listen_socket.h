#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/sockets.h"
#include "proxy/server_limits.h"

// A TCP socket listening on every local IPv4 interface: the base of the two servers.
// Construction always completes; ErrorCode() tells whether the socket could be opened.
class CListenSocket {
 public:
  // Where a port below 1024 is reserved for privileged processes and this one is not (an
  // ordinary user on Linux), the socket listens this much higher instead: 809 becomes 8809.
  static constexpr uint16_t kUnprivilegedPortOffset = 8000;

  // Opens the socket at `port` (0: any free port, see Port()), or at the unprivileged
  // stand-in above.
  explicit CListenSocket(uint16_t port);
  virtual ~CListenSocket();
  CListenSocket(const CListenSocket&) = delete;
  CListenSocket& operator=(const CListenSocket&) = delete;

  // The system's error number of the step that failed (creating, binding, listening); 0
  // when the socket listens.
  int ErrorCode() const { return error_; }
  bool IsListening() const { return socket_ != kNoSocket; }
  // The port listened on (the one the system chose when 0 was asked for, or the
  // unprivileged stand-in); the port tried last when the socket could not be opened.
  uint16_t Port() const { return port_; }
  // The port asked for, when Port() is its unprivileged stand-in; 0 otherwise.
  uint16_t PrivilegedPortAvoided() const { return avoided_port_; }

  // Replaces the default bounds (tests use short ones). Call before the server starts.
  void SetLimits(const ServerLimits& limits) { limits_ = limits; }
  const ServerLimits& Limits() const { return limits_; }

  // Waits until a receive on `socket` would not block. False when `deadline` passes
  // first, when `stopping` is set or when the wait fails. Wakes at least twice a second
  // to look at `stopping`, for systems where shutting a socket down does not end a wait.
  static bool WaitToReceive(SocketHandle socket, std::chrono::steady_clock::time_point deadline,
                            const std::atomic<bool>& stopping);

 protected:
  // Accepts connections from this machine until `stopping` is set, handing each to
  // `serve`, which owns it from then on. A connection from another machine is closed at
  // once without a byte read: the servers are for this machine's browser only. A failed
  // accept (no file handles left, say) is retried after a short pause rather than ending
  // the server for good. Returns 0 when there is no listening socket, 1 when stopped.
  int ServeConnections(const std::atomic<bool>& stopping, const std::function<void(SocketHandle)>& serve);

  SocketHandle ListeningSocket() const { return socket_; }
  // Wakes a thread blocked in accept on this socket and makes every later accept fail.
  // The socket itself is closed by the destructor, once.
  void ShutdownListener();

  ServerLimits limits_;

 private:
  int error_ = 0;
  SocketHandle socket_ = kNoSocket;
  uint16_t port_;
  uint16_t avoided_port_ = 0;
};
