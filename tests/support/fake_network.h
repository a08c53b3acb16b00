#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "platform/network.h"

// A network of made-up hosts for the host cache: each address connects after a set number
// of milliseconds on the fake clock, or never. No real sockets; the handles are counters.
class FakeNetwork : public Network {
 public:
  static constexpr int kNeverConnects = -1;

  explicit FakeNetwork(FakeClock& clock) : clock_(clock) {}

  void AddHost(const std::string& host, std::vector<uint32_t> addresses) { hosts_[host] = std::move(addresses); }
  void SetConnectTime(uint32_t address, int ms) { connect_ms_[address] = ms; }

  int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) override {
    ++resolutions_;
    auto found = hosts_.find(host);
    if (found == hosts_.end()) return kResolveError;
    *addresses = found->second;
    return 0;
  }
  SocketHandle Connect(uint32_t address, uint16_t port, int timeout_ms) override {
    std::lock_guard lock(mu_);
    connects_.push_back(address);
    auto known = connect_ms_.find(address);
    int ms = known == connect_ms_.end() ? kNeverConnects : known->second;
    if (ms == kNeverConnects || ms >= timeout_ms) {
      clock_.Advance(static_cast<uint64_t>(timeout_ms));
      return kNoSocket;
    }
    clock_.Advance(static_cast<uint64_t>(ms));
    SocketHandle socket = next_socket_++;
    socket_address_[socket] = address;
    open_.insert(socket);
    return socket;
  }
  void Close(SocketHandle socket) override {
    std::lock_guard lock(mu_);
    open_.erase(socket);
  }

  // The address a socket handed out by Connect leads to.
  uint32_t AddressOf(SocketHandle socket) { return socket_address_.at(socket); }
  std::set<SocketHandle> OpenSockets() { return open_; }
  std::vector<uint32_t> Connects() { return connects_; }
  int Resolutions() const { return resolutions_; }

  static constexpr int kResolveError = 11001;

 private:
  FakeClock& clock_;
  std::mutex mu_;
  std::map<std::string, std::vector<uint32_t>> hosts_;
  std::map<uint32_t, int> connect_ms_;
  std::map<SocketHandle, uint32_t> socket_address_;
  std::set<SocketHandle> open_;
  std::vector<uint32_t> connects_;
  SocketHandle next_socket_ = 1000;
  int resolutions_ = 0;
};
