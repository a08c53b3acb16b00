// Starts the socket layer once for every test program that links this file, and keeps
// every test away from the machine's proxy and autostart settings: the system integration
// is a recording fake unless a test installs its own.
#include <gtest/gtest.h>

#include "platform/sockets.h"
#include "recording_system_integration.h"

namespace {

class SocketsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(StartSockets());
    SystemIntegration::Install(&recording_);
  }
  void TearDown() override { SystemIntegration::Install(nullptr); }

 private:
  RecordingSystemIntegration recording_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new SocketsEnvironment);

}  // namespace
