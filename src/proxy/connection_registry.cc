#include "proxy/connection_registry.h"

void CConnectionRegistry::Register(CProxyConnection* connection) {
  std::lock_guard lock(mu_);
  connections_.insert(connection);
}

void CConnectionRegistry::Close(CProxyConnection* connection) {
  {
    std::lock_guard lock(mu_);
    connections_.erase(connection);
  }
  for (SocketHandle* socket : {&connection->upstream, &connection->client}) {
    if (*socket != kNoSocket) CloseSocket(*socket);
    *socket = kNoSocket;
  }
}

void CConnectionRegistry::SetUpstream(CProxyConnection& connection, SocketHandle socket) {
  std::lock_guard lock(mu_);
  connection.upstream = socket;
  if (stopping_ && socket != kNoSocket) ShutdownSocket(socket);
}

size_t CConnectionRegistry::Count() {
  std::lock_guard lock(mu_);
  return connections_.size();
}

void CConnectionRegistry::ShutdownAll() {
  std::lock_guard lock(mu_);
  for (CProxyConnection* connection : connections_) {
    if (connection->upstream != kNoSocket) ShutdownSocket(connection->upstream);
    if (connection->client != kNoSocket) ShutdownSocket(connection->client);
  }
}
