#pragma once

#include <string>

#include "platform/sockets.h"

// One browser connection of the proxy, from accept to close. The connection thread owns
// it; the proxy's connection registry holds it so that a shutdown can wake its blocked
// calls. The socket fields change only under the registry's lock.
struct CProxyConnection {
  SocketHandle client = kNoSocket;
  SocketHandle upstream = kNoSocket;
  std::string host;        // host of the request, at most 259 bytes
  std::string url;         // request target as it stood in the request line
  std::string refererHost;
};
