#include "proxy/host_cache.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/network.h"

namespace {

constexpr int64_t kOneDaySeconds = 86400;

void PutLittleEndian32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

uint32_t GetLittleEndian32(std::string_view bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[static_cast<size_t>(i)]);
  return value;
}

}  // namespace

CHostCache::CHostCache(std::string file_name) : file_name_(std::move(file_name)) {}

uint32_t CHostCache::Now() const { return static_cast<uint32_t>(Clock::Current().NowSeconds()); }

std::string CHostCache::EncodeRecord(const CHostRecord& record) {
  std::string bytes(reinterpret_cast<const char*>(&record.address), 4);  // already network order
  std::string host = record.host.substr(0, kHostFieldSize);
  host.resize(kHostFieldSize, '\0');
  bytes += host;
  PutLittleEndian32(bytes, static_cast<uint32_t>(record.connectMs));
  PutLittleEndian32(bytes, record.lastUse);
  return bytes;
}

CHostRecord CHostCache::DecodeRecord(std::string_view bytes) {
  CHostRecord record;
  std::memcpy(&record.address, bytes.data(), 4);
  std::string_view host = bytes.substr(4, kHostFieldSize);
  record.host = std::string(host.substr(0, host.find('\0')));
  record.connectMs = static_cast<int32_t>(GetLittleEndian32(bytes.substr(132, 4)));
  record.lastUse = GetLittleEndian32(bytes.substr(136, 4));
  return record;
}

std::optional<CHostRecord> CHostCache::Lookup(const std::string& host) {
  std::lock_guard lock(mu_);
  auto found = entries_.find(host);
  if (found == entries_.end()) return std::nullopt;
  found->second.lastUse = Now();
  return found->second;
}

void CHostCache::Store(const CHostRecord& record) {
  if (record.host.empty() || record.host.size() > kMaxHostLength) return;
  std::lock_guard lock(mu_);
  auto [entry, inserted] = entries_.try_emplace(record.host, record);
  if (!inserted) {
    entry->second.address = record.address;
    entry->second.connectMs = record.connectMs;
    entry->second.lastUse = Now();
  }
}

size_t CHostCache::Size() {
  std::lock_guard lock(mu_);
  return entries_.size();
}

void CHostCache::Load() {
  std::optional<std::string> content = FileSystem::Current().ReadAll(file_name_);
  if (!content) return;
  int64_t now = Clock::Current().NowSeconds();
  for (size_t at = 0; at + kRecordSize <= content->size(); at += kRecordSize) {
    CHostRecord record = DecodeRecord(std::string_view(*content).substr(at, kRecordSize));
    bool fresh = now - static_cast<int64_t>(record.lastUse) < kOneDaySeconds;
    if (record.address != 0 && record.connectMs >= 0 && fresh) Store(record);
  }
}

void CHostCache::Save() {
  std::string bytes;
  {
    std::lock_guard lock(mu_);
    if (saved_) return;
    saved_ = true;
    for (const auto& [host, record] : entries_) bytes += EncodeRecord(record);
  }
  FileSystem::Current().Replace(file_name_, bytes);
}

SocketHandle CHostCache::TimedConnect(uint32_t address, uint16_t port, int timeout_ms, int* elapsed_ms) {
  uint64_t started = Clock::Current().TickMs();
  SocketHandle socket = Network::Current().Connect(address, port, timeout_ms);
  *elapsed_ms = socket == kNoSocket ? kFailureMarkMs : static_cast<int>(Clock::Current().TickMs() - started);
  return socket;
}

int CHostCache::Connect(const std::string& host, uint16_t port, SocketHandle* out) {
  *out = kNoSocket;
  if (stopping_) return -1;
  constexpr int kAnyRecord = kSlowestUsableMs + kAcceptMarginMs + 1;
  if (ConnectRecorded(host, port, kAnyRecord, out) == RecordedConnect::kConnected) return 0;
  return ConnectResolved(host, port, out);
}

CHostCache::RecordedConnect CHostCache::ConnectRecorded(const std::string& host, uint16_t port, int max_wait_ms,
                                                        SocketHandle* out) {
  *out = kNoSocket;
  if (stopping_) return RecordedConnect::kFailed;
  std::optional<CHostRecord> record = Lookup(host);
  if (!record) return RecordedConnect::kNotTried;
  // A connect slower than the recorded time plus the margin is refused anyway; waiting for
  // it longer would only delay the fresh resolution.
  int limit = std::min(record->connectMs, kSlowestUsableMs) + kAcceptMarginMs + 1;
  if (limit > max_wait_ms) return RecordedConnect::kNotTried;
  int elapsed = 0;
  SocketHandle socket = TimedConnect(record->address, port, limit, &elapsed);
  if (elapsed != kFailureMarkMs && elapsed - record->connectMs <= kAcceptMarginMs) {
    *out = socket;
    return RecordedConnect::kConnected;
  }
  if (socket != kNoSocket) Network::Current().Close(socket);
  return RecordedConnect::kFailed;
}

int CHostCache::ConnectResolved(const std::string& host, uint16_t port, SocketHandle* out) {
  *out = kNoSocket;
  if (stopping_) return -1;
  Network& network = Network::Current();
  std::vector<uint32_t> addresses;
  if (int error = network.ResolveIPv4(host, &addresses); error != 0) return error;
  int best = kSlowestUsableMs;
  for (uint32_t address : addresses) {
    if (stopping_) break;
    int elapsed = 0;
    // An address slower than the best so far would be dropped anyway: stop waiting then.
    SocketHandle socket = TimedConnect(address, port, best, &elapsed);
    if (socket != kNoSocket && elapsed < best) {
      best = elapsed;
      if (*out != kNoSocket) network.Close(*out);
      *out = socket;
      Store(CHostRecord{address, host, elapsed, Now()});
    } else if (socket != kNoSocket) {
      network.Close(socket);
    }
  }
  return *out != kNoSocket ? 0 : -1;
}
