#include "platform/sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "platform/code_page.h"
#include "platform/win32/system_info.h"

namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }
SocketHandle Handle(SOCKET socket) { return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket); }

// Replies go out as they are written: the proxy sends whole pieces, and holding back the
// tail of a response for an acknowledgement only adds delay.
void DisableNagle(SOCKET socket) {
  BOOL yes = TRUE;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
}

}  // namespace

bool StartSockets() {
  WSADATA data{};
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

int LastSocketError() { return WSAGetLastError(); }

bool IsPrivilegedPortError(int) { return false; }

std::string SocketErrorText(int error) { return WideToUtf8(SystemErrorText(static_cast<unsigned long>(error))); }

SocketHandle ListenTcp(uint16_t port, int* error) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    *error = WSAGetLastError();
    return kNoSocket;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, SOMAXCONN) != 0) {
    *error = WSAGetLastError();
    shutdown(s, SD_BOTH);
    closesocket(s);
    return kNoSocket;
  }
  *error = 0;
  return Handle(s);
}

namespace {

// The socket's own address; all zero when the system cannot tell it.
sockaddr_in BoundAddress(SocketHandle socket) {
  sockaddr_in address{};
  int length = sizeof address;
  if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return sockaddr_in{};
  return address;
}

}  // namespace

uint16_t LocalPort(SocketHandle socket) { return ntohs(BoundAddress(socket).sin_port); }

uint32_t LocalAddress(SocketHandle socket) { return BoundAddress(socket).sin_addr.s_addr; }

SocketHandle AcceptTcp(SocketHandle listener, uint32_t* peer_address) {
  sockaddr_in peer{};
  int length = sizeof peer;
  SOCKET s = accept(Native(listener), reinterpret_cast<sockaddr*>(&peer), &length);
  if (s != INVALID_SOCKET) {
    *peer_address = peer.sin_addr.s_addr;
    DisableNagle(s);
  }
  return Handle(s);
}

SocketHandle ConnectTcp(uint32_t address, uint16_t port, int timeout_ms) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  u_long non_blocking = 1;
  ioctlsocket(s, FIONBIO, &non_blocking);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  bool connected = connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    connected = select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable);
  }
  if (!connected) {
    closesocket(s);
    return kNoSocket;
  }
  non_blocking = 0;
  ioctlsocket(s, FIONBIO, &non_blocking);
  DisableNagle(s);
  return Handle(s);
}

long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
  int capped = static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size);
  return recv(Native(socket), buffer, capped, 0);
}

int WaitReadable(SocketHandle socket, int timeout_ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(socket), &readable);
  timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  int ready = select(0, &readable, nullptr, nullptr, &timeout);
  if (ready == SOCKET_ERROR) return -1;
  return ready > 0 ? 1 : 0;
}

bool SendAll(SocketHandle socket, std::string_view data) {
  while (!data.empty()) {
    int chunk = static_cast<int>(data.size() > 0x40000000 ? 0x40000000 : data.size());
    int sent = send(Native(socket), data.data(), chunk, 0);
    if (sent == SOCKET_ERROR) return false;
    data.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

void ShutdownSocket(SocketHandle socket) {
  shutdown(Native(socket), SD_BOTH);
  // shutdown alone does not end a receive that is already waiting; cancelling the
  // socket's pending I/O does (the blocked call then fails).
  CancelIoEx(reinterpret_cast<HANDLE>(Native(socket)), nullptr);
}

void CloseSocket(SocketHandle socket) {
  shutdown(Native(socket), SD_BOTH);
  closesocket(Native(socket));
}

SocketHandle BindUdp(uint16_t port, int* error) {
  SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) {
    *error = WSAGetLastError();
    return kNoSocket;
  }
  BOOL exclusive = TRUE;
  setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = WSAGetLastError();
    closesocket(socket);
    return kNoSocket;
  }
  *error = 0;
  return Handle(socket);
}

long ReceiveDatagram(SocketHandle socket, char* buffer, size_t size) {
  int capped = static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size);
  int received = recv(Native(socket), buffer, capped, 0);
  // A datagram longer than the buffer arrives cut, as on other systems, rather than as an
  // error that would end the caller's loop.
  if (received == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE) return capped;
  return received;
}

void SendDatagram(uint32_t address, uint16_t port, std::string_view data) {
  SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  sendto(socket, data.data(), static_cast<int>(data.size()), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
  closesocket(socket);
}
