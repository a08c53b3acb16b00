#include "proxy/listen_socket.h"

#include <algorithm>
#include <chrono>
#include <thread>

CListenSocket::CListenSocket(uint16_t port) : port_(port) {
  socket_ = ListenTcp(port, &error_);
  constexpr uint16_t kFirstUnreservedPort = 1024;
  if (socket_ == kNoSocket && port != 0 && port < kFirstUnreservedPort && IsPrivilegedPortError(error_)) {
    avoided_port_ = port;
    port_ = port + kUnprivilegedPortOffset;
    socket_ = ListenTcp(port_, &error_);
  }
  if (socket_ != kNoSocket && port_ == 0) port_ = LocalPort(socket_);
}

CListenSocket::~CListenSocket() {
  if (socket_ != kNoSocket) CloseSocket(socket_);
}

void CListenSocket::ShutdownListener() {
  if (socket_ == kNoSocket) return;
  ShutdownSocket(socket_);
  // Not every system wakes a blocked accept on shutdown; a connection of our own does.
  constexpr int kWakeTimeoutMs = 1000;
  SocketHandle wake = ConnectTcp(Ipv4Address(127, 0, 0, 1), port_, kWakeTimeoutMs);
  if (wake != kNoSocket) CloseSocket(wake);
}

bool CListenSocket::WaitToReceive(SocketHandle socket, std::chrono::steady_clock::time_point deadline,
                                  const std::atomic<bool>& stopping) {
  using namespace std::chrono;
  constexpr milliseconds kSlice{500};
  while (!stopping) {
    auto remaining = duration_cast<milliseconds>(deadline - steady_clock::now());
    if (remaining.count() <= 0) return false;
    int ready = WaitReadable(socket, static_cast<int>(std::min(remaining, kSlice).count()));
    if (ready != 0) return ready > 0 && !stopping;
  }
  return false;
}

int CListenSocket::ServeConnections(const std::atomic<bool>& stopping,
                                    const std::function<void(SocketHandle)>& serve) {
  constexpr auto kRetryPause = std::chrono::milliseconds(50);
  if (socket_ == kNoSocket) return 0;
  while (!stopping) {
    uint32_t peer = 0;
    SocketHandle client = AcceptTcp(socket_, &peer);
    if (client == kNoSocket) {
      if (!stopping) std::this_thread::sleep_for(kRetryPause);
      continue;
    }
    if (stopping || !IsLoopbackAddress(peer)) {
      CloseSocket(client);
      continue;
    }
    serve(client);
  }
  return 1;
}
