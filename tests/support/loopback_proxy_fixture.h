#pragma once

// The proxy over real sockets on 127.0.0.1: the proxy on a free port, a small web server of
// the test's own, and names resolved by the test (".test" hosts are local).
#include <gtest/gtest.h>

#include "config/process_flags.h"
#include "loopback_network.h"
#include "proxy/local_proxy.h"
#include "rules/shared_lists.h"
#include "temp_folder.h"
#include "test_origin.h"

class LoopbackProxyTest : public ::testing::Test {
 protected:
  LoopbackProxyTest() { ServersStopping = false; }
  ~LoopbackProxyTest() override {
    proxy_.Stop();
    ServersStopping = false;
  }
  void StartProxy(const ServerLimits& limits = {}) {
    proxy_.SetLimits(limits);
    proxy_.Start();
  }

  ScopedTempWorkingFolder folder_;
  LoopbackNetwork network_;
  ScopedSeam<Network> network_seam_{network_};
  TestOrigin origin_;
  SharedLists lists_;
  CLocalProxy proxy_{0, lists_};
};
