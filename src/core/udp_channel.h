#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/sockets.h"

// The single-instance channel: a UDP socket on the loopback interface at the channel port,
// through which a second start of the program asks the running one to show its main window.
// Only programs of this machine reach it.
//
// A datagram is ASCII text of at most 127 bytes; the receiver takes the bytes up to the
// first zero byte and compares them exactly with the two commands.
inline constexpr std::string_view kShowCommand = "kezo_ShowMainForm";
inline constexpr std::string_view kExitCommand = "exit";
inline constexpr size_t kMaxCommandBytes = 127;

enum class ChannelCommand { kOther, kShow, kExit };
ChannelCommand ParseChannelCommand(std::string_view datagram);

class UdpChannel {
 public:
  UdpChannel() = default;
  ~UdpChannel();
  UdpChannel(const UdpChannel&) = delete;
  UdpChannel& operator=(const UdpChannel&) = delete;

  // Reads the channel port from UDPPort and starts the listener thread, which binds it (0:
  // a port the system chooses), writes the bound port to UDPPort and calls `on_show` (on
  // its own thread) for every show command. A port that is taken ends the listener at once.
  void StartListener(std::function<void()> on_show);
  bool Bound() const { return bound_; }
  uint16_t Port() const { return port_; }

  // Sends `text` (the show command when empty; cut at 127 bytes) to 127.0.0.1 on the
  // channel port. Failures are ignored.
  void Send(std::string_view text) const;

  // When bound: sends the exit command, after which the listener writes 0 to UDPPort and
  // ends, and waits for that.
  void StopListener();

 private:
  void Listen(std::function<void()> on_show);

  std::atomic<bool> bound_{false};
  std::atomic<uint16_t> port_{0};
  std::atomic<SocketHandle> socket_{kNoSocket};
  std::thread listener_;
  std::mutex mu_;
  std::condition_variable ended_signal_;
  bool ended_ = false;
  bool stopping_ = false;  // guarded by mu_, as are the binding's three steps
};
