#include "proxy/local_proxy.h"


#include <new>

#include "config/process_flags.h"
#include "config/profile_values.h"

CLocalProxy::CLocalProxy(uint16_t port, SharedLists& lists, SetupRecord& setup)
    : CListenSocket(port), lists_(lists), setup_(setup) {}

CLocalProxy::~CLocalProxy() {
  Stop();
  if (host_cache_) host_cache_->Save();
}

void CLocalProxy::Prepare() {
  page_budget_ = std::make_unique<CMemoryBudget>(limits_.page_memory_bytes);
  host_cache_ = std::make_shared<CHostCache>("host.dat");
  if (stopping_) host_cache_->Stop();
  host_cache_->Load();
  ReloadSiteLists();
  lists_.urlList.Load(true);
  lists_.urlFilter.Load(true);
  lists_.urlFilter.LoadOrdinaryWords();
  lists_.userNoImageDomains.Load(true);
  if (black_filter_ != nullptr) black_filter_->Rebuild();
  if (white_filter_ != nullptr) white_filter_->Rebuild();
  image_urls_.Load(true);
  page_assets_ = std::make_unique<CPageAssets>(setup_, tip_port_);
  LoadSmartMonitoring();
  ad_filter_.Compile();
}

void CLocalProxy::ReloadSiteLists() {
  CHostSet::Ptr black = CHostSet::Load(list_files::kBlackDomain);
  lists_.urlFilter.FillExtraKeywords(black->DotlessEntries());
  black_domains_.Publish(std::move(black));
  white_domains_.Load(true);
  lists_.userBlackDomains.Load(true);
  lists_.userWhiteDomains.Load(true);
}

int CLocalProxy::SmartMonitoringThreshold(int position) {
  switch (position) {
    case 0: return 10;
    case 1: return 40;
    case 2: return 70;
    case 3: return 0;
    default: return 40;
  }
}

void CLocalProxy::LoadSmartMonitoring() {
  smart_threshold_ = SmartMonitoringThreshold(ReadProfile(profile::kIntelligentMonitor));
  smart_tip_ = ReadProfile(profile::kIntelligentMonitorTip);
  learned_sites_.Load(true);
  released_sites_.Load(true);
}

void CLocalProxy::Start() {
  proxy_thread_ = std::thread([this] {
    Prepare();
    if (on_ready_ && !stopping_) on_ready_();
    AcceptLoop();
  });
}

int CLocalProxy::AcceptLoop() {
  return ServeConnections(stopping_, [this](SocketHandle client) { RunConnectionThread(client); });
}

void CLocalProxy::RunConnectionThread(SocketHandle client) {
  if (OpenConnections() >= limits_.max_connections) {
    CloseSocket(client);
    return;
  }
  auto connection = std::make_shared<CProxyConnection>();
  connection->client = client;
  Register(connection.get());
  bool started = connection_threads_.Spawn([this, connection] {
    // Memory that runs out ends this connection only, not the program.
    try {
      HandleConnection(*connection);
    } catch (const std::bad_alloc&) {
    }
    CloseConnection(connection.get());
  });
  if (!started) CloseConnection(connection.get());  // no thread to be had: the connection is dropped
}

void CLocalProxy::Register(CProxyConnection* connection) {
  std::lock_guard lock(connections_mu_);
  connections_.insert(connection);
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
  if (!stopping_.exchange(true)) ServersStopping = true;
  ShutdownListener();
  if (proxy_thread_.joinable()) proxy_thread_.join();
  if (host_cache_) host_cache_->Stop();
  std::unique_lock lock(connections_mu_);
  for (CProxyConnection* connection : connections_) {
    if (connection->upstream != kNoSocket) ShutdownSocket(connection->upstream);
    if (connection->client != kNoSocket) ShutdownSocket(connection->client);
  }
  lock.unlock();
  connection_threads_.WaitForAll();
}
