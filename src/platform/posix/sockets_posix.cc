#include "platform/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

// Replies go out as they are written: the proxy sends whole pieces, and holding back the
// tail of a response for an acknowledgement only adds delay.
void DisableNagle(int fd) {
  int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

}  // namespace

bool StartSockets() {
  signal(SIGPIPE, SIG_IGN);
  return true;
}

int LastSocketError() { return errno; }

bool IsPrivilegedPortError(int error) { return error == EACCES; }

std::string SocketErrorText(int error) { return std::strerror(error); }

SocketHandle ListenTcp(uint16_t port, int* error) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    *error = errno;
    return kNoSocket;
  }
  // Lets a restarted program take its port back while closed connections linger in
  // TIME_WAIT; a port that another socket listens on is still refused.
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, SOMAXCONN) != 0) {
    *error = errno;
    shutdown(fd, SHUT_RDWR);
    close(fd);
    return kNoSocket;
  }
  *error = 0;
  return fd;
}

namespace {

// The socket's own address; all zero when the system cannot tell it.
sockaddr_in BoundAddress(SocketHandle socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return sockaddr_in{};
  return address;
}

}  // namespace

uint16_t LocalPort(SocketHandle socket) { return ntohs(BoundAddress(socket).sin_port); }

uint32_t LocalAddress(SocketHandle socket) { return BoundAddress(socket).sin_addr.s_addr; }

SocketHandle AcceptTcp(SocketHandle listener, uint32_t* peer_address) {
  sockaddr_in peer{};
  for (;;) {
    socklen_t length = sizeof peer;
    int fd = accept4(Fd(listener), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd >= 0) {
      *peer_address = peer.sin_addr.s_addr;
      DisableNagle(fd);
      return fd;
    }
    if (errno != EINTR && errno != ECONNABORTED) return kNoSocket;
  }
}

SocketHandle ConnectTcp(uint32_t address, uint16_t port, int timeout_ms) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
  if (fd < 0) return kNoSocket;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  bool connected = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd wait{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    connected = poll(&wait, 1, timeout_ms) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
                error == 0;
  }
  if (!connected) {
    close(fd);
    return kNoSocket;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  DisableNagle(fd);
  return fd;
}

long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
  for (;;) {
    ssize_t got = recv(Fd(socket), buffer, size, 0);
    if (got >= 0 || errno != EINTR) return static_cast<long>(got);
  }
}

int WaitReadable(SocketHandle socket, int timeout_ms) {
  pollfd wait{Fd(socket), POLLIN, 0};
  for (;;) {
    int ready = poll(&wait, 1, timeout_ms);
    if (ready >= 0) return ready > 0 ? 1 : 0;
    if (errno != EINTR) return -1;
  }
}

bool SendAll(SocketHandle socket, std::string_view data) {
  while (!data.empty()) {
    ssize_t sent = send(Fd(socket), data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

void ShutdownSocket(SocketHandle socket) { shutdown(Fd(socket), SHUT_RDWR); }

void CloseSocket(SocketHandle socket) {
  shutdown(Fd(socket), SHUT_RDWR);
  close(Fd(socket));
}

SocketHandle BindUdp(uint16_t port, int* error) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) {
    *error = errno;
    return kNoSocket;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = errno;
    close(fd);
    return kNoSocket;
  }
  *error = 0;
  return fd;
}

long ReceiveDatagram(SocketHandle socket, char* buffer, size_t size) {
  ssize_t received;
  do {
    received = recv(Fd(socket), buffer, size, 0);
  } while (received < 0 && errno == EINTR);
  return received;
}

void SendDatagram(uint32_t address, uint16_t port, std::string_view data) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) return;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  sendto(fd, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
  close(fd);
}
