#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Blocking IPv4 TCP sockets as the servers and the upstream connections use them
// (Winsock on Windows, BSD sockets on POSIX). Addresses are IPv4 in network byte order, as
// they stand in a socket address. Every function is safe on any thread; a socket itself is
// used by one thread at a time, except ShutdownSocket, which another thread may call to
// wake a blocked receive, send or accept.
using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Prepares the socket layer once per process (Winsock start-up; SIGPIPE ignored on POSIX).
// Returns false when the system's socket library cannot be started.
bool StartSockets();

// The last socket error of the calling thread (errno or WSAGetLastError).
int LastSocketError();

// True when a listening socket was refused `error` because its port is reserved for
// privileged processes (ports below 1024 for an ordinary user on POSIX systems; Windows
// reserves none).
bool IsPrivilegedPortError(int error);

// The system's own words for a socket error number ("Permission denied").
std::string SocketErrorText(int error);

// A socket listening on every local IPv4 interface at `port` (0: any free port), with the
// largest backlog the system allows. On failure returns kNoSocket and sets `error`.
SocketHandle ListenTcp(uint16_t port, int* error);

// The local port a socket is bound to; 0 when unknown.
uint16_t LocalPort(SocketHandle socket);
// The local IPv4 address a socket is bound to (network byte order); 0 when unknown or any.
uint32_t LocalAddress(SocketHandle socket);

// Waits for a connection; kNoSocket when accepting fails (also once the listener is shut
// down). `peer_address` receives the peer's IPv4 address.
SocketHandle AcceptTcp(SocketHandle listener, uint32_t* peer_address);

// Connects to address:port, giving up after `timeout_ms`; kNoSocket on failure.
SocketHandle ConnectTcp(uint32_t address, uint16_t port, int timeout_ms);

// Receives up to `size` bytes: the count, 0 when the peer has closed, negative on error.
long ReceiveSome(SocketHandle socket, char* buffer, size_t size);

// Waits at most `timeout_ms` until a receive on the socket would not block: data has
// arrived, the peer has closed, or the socket failed or was shut down. Returns 1 then,
// 0 when the time ran out, negative on error.
int WaitReadable(SocketHandle socket, int timeout_ms);

// Sends all of `data`; false when a send fails.
bool SendAll(SocketHandle socket, std::string_view data);

// Shuts both directions down, which ends blocked calls on the socket in other threads.
void ShutdownSocket(SocketHandle socket);

// Shuts down and closes the socket. Call once per socket.
void CloseSocket(SocketHandle socket);

// The address a.b.c.d in network byte order.
inline uint32_t Ipv4Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  uint32_t address = 0;
  auto* bytes = reinterpret_cast<uint8_t*>(&address);
  bytes[0] = a;
  bytes[1] = b;
  bytes[2] = c;
  bytes[3] = d;
  return address;
}

// 127.0.0.0/8.
inline bool IsLoopbackAddress(uint32_t address) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&address);
  return bytes[0] == 127;
}

// UDP, for the program's single-instance channel on the loopback interface.
// A datagram socket bound to 127.0.0.1 at `port` (0: any free port), so that no other
// machine can reach it; no address reuse: a port another socket holds is refused.
// kNoSocket on failure.
SocketHandle BindUdp(uint16_t port, int* error);
// Receives one datagram of at most `size` bytes: its length, negative on error.
long ReceiveDatagram(SocketHandle socket, char* buffer, size_t size);
// Sends `data` as one datagram to address:port from a socket of its own; failures are
// ignored.
void SendDatagram(uint32_t address, uint16_t port, std::string_view data);
