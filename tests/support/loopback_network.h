#pragma once

#include <string>

#include "platform/network.h"

// Real connections, but names resolve without any name server: every host ending in
// ".test" is 127.0.0.1, and every other name fails to resolve. Keeps end-to-end tests off
// the real network.
class LoopbackNetwork : public Network {
 public:
  static constexpr int kUnknownHost = 11001;

  int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) override {
    if (!host.ends_with(".test")) return kUnknownHost;
    addresses->push_back(Ipv4Address(127, 0, 0, 1));
    return 0;
  }
  SocketHandle Connect(uint32_t address, uint16_t port, int timeout_ms) override {
    return ConnectTcp(address, port, timeout_ms);
  }
  void Close(SocketHandle socket) override { CloseSocket(socket); }
};
