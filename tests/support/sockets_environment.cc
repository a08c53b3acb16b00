// Starts the socket layer once for every test program that links this file.
#include <gtest/gtest.h>

#include "platform/sockets.h"

namespace {

class SocketsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(StartSockets()); }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new SocketsEnvironment);

}  // namespace
