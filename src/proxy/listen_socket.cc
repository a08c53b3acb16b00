#include "proxy/listen_socket.h"

#include <chrono>
#include <thread>

CListenSocket::CListenSocket(uint16_t port) : port_(port) {
  socket_ = ListenTcp(port, &error_);
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
