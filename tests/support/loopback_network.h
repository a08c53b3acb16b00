#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/network.h"

// Real connections, but names resolve without any name server: every host ending in
// ".test", and every name added with AddName, is 127.0.0.1, and every other name fails to
// resolve. Keeps end-to-end tests off the real network, and tells which names were
// resolved.
class LoopbackNetwork : public Network {
 public:
  static constexpr int kUnknownHost = 11001;

  void AddName(const std::string& host) {
    std::lock_guard lock(mu_);
    names_.insert(host);
  }
  // The names asked for, in order, whether they resolved or not.
  std::vector<std::string> Resolved() {
    std::lock_guard lock(mu_);
    return resolved_;
  }

  int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) override {
    std::lock_guard lock(mu_);
    resolved_.push_back(host);
    if (!host.ends_with(".test") && !names_.contains(host)) return kUnknownHost;
    addresses->push_back(Ipv4Address(127, 0, 0, 1));
    return 0;
  }
  SocketHandle Connect(uint32_t address, uint16_t port, int timeout_ms) override {
    return ConnectTcp(address, port, timeout_ms);
  }
  void Close(SocketHandle socket) override { CloseSocket(socket); }

 private:
  std::mutex mu_;
  std::set<std::string> names_;
  std::vector<std::string> resolved_;
};
