#include "platform/network.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

class WinsockNetwork : public Network {
 public:
  int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    int error = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (error != 0) return error;
    for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
      addresses->push_back(reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
    }
    freeaddrinfo(found);
    return 0;
  }
  SocketHandle Connect(uint32_t address, uint16_t port, int timeout_ms) override {
    return ConnectTcp(address, port, timeout_ms);
  }
  void Close(SocketHandle socket) override { CloseSocket(socket); }
};

}  // namespace

Network& Network::System() {
  static WinsockNetwork network;
  return network;
}
