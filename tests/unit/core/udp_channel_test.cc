#include "core/udp_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "config/profile_values.h"
#include "memory_profile_store.h"

namespace {

TEST(UdpChannelTest, ADatagramIsACommandUpToItsFirstZeroByteAndExactlySo) {
  using namespace std::string_view_literals;
  const std::pair<std::string_view, ChannelCommand> cases[] = {
      {"kezo_ShowMainForm", ChannelCommand::kShow},
      {"kezo_ShowMainForm\0garbage"sv, ChannelCommand::kShow},
      {"kezo_ShowMainFormX", ChannelCommand::kOther},
      {"kezo_showmainform", ChannelCommand::kOther},
      {"exit", ChannelCommand::kExit},
      {"EXIT", ChannelCommand::kOther},
      {"exit ", ChannelCommand::kOther},
      {"", ChannelCommand::kOther},
      {"\0exit"sv, ChannelCommand::kOther},
  };
  for (auto [datagram, command] : cases) EXPECT_EQ(ParseChannelCommand(datagram), command) << datagram;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

TEST(UdpChannelTest, TheListenerShowsOnRequestIgnoresOtherTextAndClearsItsPortOnExit) {
  MemoryProfileStore profile;
  ScopedSeam<ProfileStore> seam(profile);
  WriteProfile(profile::kUDPPort, 0);
  std::atomic<int> shows{0};
  UdpChannel channel;
  channel.StartListener([&shows] { ++shows; });
  ASSERT_TRUE(WaitUntil([&] { return channel.Bound(); }));
  uint16_t port = channel.Port();
  EXPECT_NE(port, 0);
  EXPECT_EQ(ReadProfile(profile::kUDPPort), port) << "the chosen port is published";

  // A second instance: its listener cannot take the port, and its show request arrives.
  UdpChannel second;
  second.StartListener(nullptr);
  second.Send("EXIT");
  second.Send("kezo_ShowMainFormX");
  second.Send("");
  ASSERT_TRUE(WaitUntil([&] { return shows == 1; }));
  second.StopListener();
  EXPECT_FALSE(second.Bound());
  EXPECT_EQ(ReadProfile(profile::kUDPPort), port) << "the second instance leaves the port alone";

  channel.StopListener();
  EXPECT_EQ(ReadProfile(profile::kUDPPort), 0);
  EXPECT_EQ(shows, 1);
}

TEST(UdpChannelTest, TheChannelSocketCanBeReachedFromThisMachineOnly) {
  int error = 0;
  SocketHandle socket = BindUdp(0, &error);
  ASSERT_NE(socket, kNoSocket) << error;
  EXPECT_EQ(LocalAddress(socket), Ipv4Address(127, 0, 0, 1)) << "another host of the network could send \"exit\"";
  CloseSocket(socket);
}

}  // namespace
