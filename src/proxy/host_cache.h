#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/thread_annotations.h"
#include "platform/sockets.h"

// The fastest known address of a host, as kept in memory and in the cache file.
struct CHostRecord {
  uint32_t address = 0;     // IPv4, network byte order; 0: none
  std::string host;         // at most kMaxHostLength bytes
  int32_t connectMs = 0;    // measured connect time; negative: invalid
  uint32_t lastUse = 0;     // seconds since 1970, low 32 bits
};

// Connects to web servers through a persistent cache of the fastest address of each host.
//
// A known host costs one connect as long as its address still connects no more than 30 ms
// slower than when it was recorded; otherwise the host is resolved afresh, every IPv4
// address is tried one after the other, and the fastest one that connects in under
// 9000 ms is used and recorded. The cache is saved to its file (140-byte little-endian
// records) once, when the proxy ends, and entries unused for a day are dropped at load.
//
// Thread-safe: the map has a lock of its own; resolving and connecting run outside it, so
// two threads may resolve one host at once (the later record wins). A Connect may outlast
// the connection that asked for it (see CProxySession::ConnectUpstream): the cache is
// shared by pointer and keeps its own stop flag.
class CHostCache {
 public:
  static constexpr int kAcceptMarginMs = 30;
  static constexpr int kFailureMarkMs = 9999999;
  static constexpr int kSlowestUsableMs = 9000;
  static constexpr size_t kRecordSize = 140;
  static constexpr size_t kHostFieldSize = 128;
  // Longer host names do not fit the record and are never cached.
  static constexpr size_t kMaxHostLength = kHostFieldSize - 1;

  explicit CHostCache(std::string file_name = "host.dat");

  // Makes every Connect from now on fail at once, and those under way give up before the
  // next address.
  void Stop() { stopping_ = true; }

  // Stores a connected socket to host:port in `out` and returns 0; otherwise returns the
  // resolver's error or another non-zero value and leaves `out` as kNoSocket.
  int Connect(const std::string& host, uint16_t port, SocketHandle* out);

  // The record of `host` (exact bytes, case-sensitive), marked as used now.
  std::optional<CHostRecord> Lookup(const std::string& host);
  // Inserts the record, or updates an existing entry's address and connect time and marks
  // it used now. Records of over-long host names are not kept.
  void Store(const CHostRecord& record);

  // Reads the file; a missing or unreadable file leaves the cache empty. Records without an
  // address, with a negative connect time, or unused for a day or more are dropped.
  void Load();
  // Writes every entry in host-name order, once: later calls do nothing. The old file stays
  // whole if the write fails.
  void Save();

  size_t Size();

  static std::string EncodeRecord(const CHostRecord& record);
  static CHostRecord DecodeRecord(std::string_view bytes);  // exactly kRecordSize bytes

 private:
  // Connects and measures the time taken; kFailureMarkMs when the connect fails.
  SocketHandle TimedConnect(uint32_t address, uint16_t port, int timeout_ms, int* elapsed_ms);
  uint32_t Now() const;

  const std::string file_name_;
  std::atomic<bool> stopping_{false};
  std::mutex mu_;
  std::map<std::string, CHostRecord> entries_ GUARDED_BY(mu_);
  bool saved_ GUARDED_BY(mu_) = false;
};
