#include "proxy/local_proxy.h"

#include <system_error>

#include "core/process_flags.h"

CLocalProxy::CLocalProxy(uint16_t port, SharedLists& lists) : CListenSocket(port), lists_(lists) {}

CLocalProxy::~CLocalProxy() {
  Stop();
  if (host_cache_) host_cache_->Save();
}

void CLocalProxy::Prepare() {
  host_cache_ = std::make_unique<CHostCache>("host.dat", &stopping_);
  host_cache_->Load();
  ReloadSiteLists();
  lists_.urlList.Load(true);
  lists_.urlFilter.Load(true);
  lists_.userNoImageDomains.Load(true);
  image_urls_.Load(true);
}

void CLocalProxy::ReloadSiteLists() {
  black_domains_.Load(true);
  white_domains_.Load(true);
  lists_.userBlackDomains.Load(true);
  lists_.userWhiteDomains.Load(true);
  lists_.urlFilter.FillExtraKeywords(black_domains_);
}

void CLocalProxy::Start() {
  proxy_thread_ = std::thread([this] {
    Prepare();
    AcceptLoop();
  });
}

int CLocalProxy::AcceptLoop() {
  if (!IsListening()) return 0;
  while (!stopping_) {
    uint32_t peer = 0;
    SocketHandle client = AcceptTcp(ListeningSocket(), &peer);
    if (client == kNoSocket) break;
    if (stopping_) {
      CloseSocket(client);
      break;
    }
    // The proxy serves this machine only: anyone else on the network would browse through
    // the user's connection unfiltered and unaccounted.
    if (!IsLoopbackAddress(peer)) {
      CloseSocket(client);
      continue;
    }
    auto connection = std::make_unique<CProxyConnection>();
    connection->client = client;
    RunConnectionThread(std::move(connection));
  }
  return 1;
}

void CLocalProxy::RunConnectionThread(std::unique_ptr<CProxyConnection> connection) {
  CProxyConnection* record = connection.get();
  Register(record);
  try {
    std::thread([this, connection = std::move(connection)]() mutable {
      HandleConnection(*connection);
      CloseConnection(connection.get());
      connection.reset();
      std::lock_guard lock(connections_mu_);
      // Notified under the lock: Stop cannot see zero and let the proxy be destroyed
      // before this thread is done with it.
      if (--running_threads_ == 0) threads_done_.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had (resources exhausted): this browser connection is dropped. The
    // lambda was destroyed with the record when the thread could not start.
    std::lock_guard lock(connections_mu_);
    --running_threads_;
  }
}

void CLocalProxy::Register(CProxyConnection* connection) {
  std::lock_guard lock(connections_mu_);
  connections_.insert(connection);
  ++running_threads_;
}

void CLocalProxy::CloseConnection(CProxyConnection* connection) {
  {
    std::lock_guard lock(connections_mu_);
    connections_.erase(connection);
  }
  for (SocketHandle* socket : {&connection->upstream, &connection->client}) {
    if (*socket != kNoSocket) CloseSocket(*socket);
    *socket = kNoSocket;
  }
}

void CLocalProxy::SetUpstream(CProxyConnection& connection, SocketHandle socket) {
  std::lock_guard lock(connections_mu_);
  connection.upstream = socket;
  if (stopping_ && socket != kNoSocket) ShutdownSocket(socket);
}

size_t CLocalProxy::OpenConnections() {
  std::lock_guard lock(connections_mu_);
  return connections_.size();
}

void CLocalProxy::Stop() {
  stopping_ = true;
  ServersStopping = true;
  ShutdownListener();
  if (proxy_thread_.joinable()) proxy_thread_.join();
  std::unique_lock lock(connections_mu_);
  for (CProxyConnection* connection : connections_) {
    if (connection->upstream != kNoSocket) ShutdownSocket(connection->upstream);
    if (connection->client != kNoSocket) ShutdownSocket(connection->client);
  }
  threads_done_.wait(lock, [this] { return running_threads_ == 0; });
}
