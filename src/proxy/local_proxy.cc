#include "proxy/local_proxy.h"

#include <memory>
#include <new>

#include "config/process_flags.h"
#include "platform/allocator_tuning.h"
#include "proxy/proxy_session.h"

CLocalProxy::CLocalProxy(uint16_t port, SharedLists& lists, SetupRecord& setup)
    : CListenSocket(port), config_(lists, setup) {}

CLocalProxy::~CLocalProxy() { Stop(); }

void CLocalProxy::Start() {
  proxy_thread_ = std::thread([this] {
    config_.Load(limits_.page_memory_bytes);
    ReturnFreedMemory();  // what reading the lists took beside them
    if (stopping_) config_.HostCache()->Stop();
    if (on_ready_ && !stopping_) on_ready_();
    ServeConnections(stopping_, [this](SocketHandle client) { RunConnectionThread(client); });
  });
}

void CLocalProxy::RunConnectionThread(SocketHandle client) {
  if (registry_.Count() >= limits_.max_connections) {
    CloseSocket(client);
    return;
  }
  auto connection = std::make_shared<CProxyConnection>();
  connection->client = client;
  registry_.Register(connection.get());
  bool started = connection_threads_.Spawn([this, connection] {
    // Memory that runs out ends this connection only, not the program.
    try {
      CProxySession(config_, registry_, limits_, stopping_, *connection).Run();
    } catch (const std::bad_alloc&) {
    }
    registry_.Close(connection.get());
    TrimWhenIdle();
  });
  if (!started) registry_.Close(connection.get());  // no thread to be had: the connection is dropped
}

void CLocalProxy::TrimWhenIdle() {
  const size_t ended = ended_since_trim_.fetch_add(1) + 1;
  if (registry_.Count() != 0) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kIdleTrimInterval).count();
  if (ended < kIdleTrimConnections && now - last_trim_.load() < interval) return;
  if (ended_since_trim_.exchange(0) == 0) return;  // another ending connection trims
  last_trim_ = now;
  ReturnFreedMemory();
}

void CLocalProxy::Stop() {
  if (!stopping_.exchange(true)) ServersStopping = true;
  ShutdownListener();
  if (proxy_thread_.joinable()) proxy_thread_.join();
  if (config_.HostCache()) config_.HostCache()->Stop();
  registry_.ShutdownAll();
  connection_threads_.WaitForAll();
}
