#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/seam.h"
#include "platform/sockets.h"

// Name resolution and outgoing connections, the part of the network that the host address
// cache depends on; tests replace it with a fake that needs no network and no waiting.
// Thread-safe.
class Network : public Seam<Network> {
 public:
  virtual ~Network() = default;

  // The IPv4 addresses of `host` (network byte order) in the resolver's order. Returns 0,
  // or the resolver's error code (then `addresses` is empty).
  virtual int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) = 0;

  // A connected TCP socket to address:port, or kNoSocket when the connection fails or takes
  // `timeout_ms` or longer.
  virtual SocketHandle Connect(uint32_t address, uint16_t port, int timeout_ms) = 0;

  virtual void Close(SocketHandle socket) = 0;

  static Network& System();
};
