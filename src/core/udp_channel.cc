#include "core/udp_channel.h"

#include <chrono>
#include <cstring>

#include "config/profile_values.h"

ChannelCommand ParseChannelCommand(std::string_view datagram) {
  std::string_view text = datagram.substr(0, datagram.find('\0'));
  if (text == kShowCommand) return ChannelCommand::kShow;
  if (text == kExitCommand) return ChannelCommand::kExit;
  return ChannelCommand::kOther;
}

UdpChannel::~UdpChannel() {
  if (listener_.joinable()) {
    StopListener();
    if (listener_.joinable()) listener_.join();
  }
}

void UdpChannel::StartListener(std::function<void()> on_show) {
  port_ = static_cast<uint16_t>(ReadProfile(profile::kUDPPort));
  listener_ = std::thread([this, on_show = std::move(on_show)] {
    Listen(on_show);
    std::lock_guard lock(mu_);
    ended_ = true;
    ended_signal_.notify_all();
  });
}

void UdpChannel::Listen(std::function<void()> on_show) {
  int error = 0;
  SocketHandle socket = BindUdp(port_, &error);
  if (socket == kNoSocket) return;
  {
    // A stop that came first ends the listener before it waits; a later one finds the port
    // known (never 0) and its socket to wake.
    std::lock_guard lock(mu_);
    if (stopping_) {
      CloseSocket(socket);
      return;
    }
    port_ = LocalPort(socket);
    socket_ = socket;
    bound_ = true;
  }
  WriteProfile(profile::kUDPPort, port_);
  for (;;) {
    char buffer[kMaxCommandBytes + 1];
    std::memset(buffer, 0, sizeof buffer);
    long received = ReceiveDatagram(socket, buffer, sizeof buffer);
    if (received < 0) break;
    ChannelCommand command = ParseChannelCommand(std::string_view(buffer, static_cast<size_t>(received)));
    if (command == ChannelCommand::kExit) {
      WriteProfile(profile::kUDPPort, 0);
      break;
    }
    if (command == ChannelCommand::kShow && on_show) on_show();
  }
  {
    std::lock_guard lock(mu_);  // StopListener shuts the socket down under the lock
    socket_ = kNoSocket;
  }
  CloseSocket(socket);
}

void UdpChannel::Send(std::string_view text) const {
  if (text.empty()) text = kShowCommand;
  SendDatagram(Ipv4Address(127, 0, 0, 1), port_, text.substr(0, kMaxCommandBytes));
}

void UdpChannel::StopListener() {
  if (!listener_.joinable()) return;
  std::unique_lock lock(mu_);
  stopping_ = true;
  if (bound_) Send(kExitCommand);
  // A datagram lost on the way would leave the listener waiting: it is woken after a while.
  if (!ended_signal_.wait_for(lock, std::chrono::seconds(2), [this] { return ended_; })) {
    if (SocketHandle socket = socket_; socket != kNoSocket) ShutdownSocket(socket);
  }
  lock.unlock();
  listener_.join();
}
