#pragma once

#include "updater/update_host.h"

// What one data update did, for the caller's report and for tests.
struct DataUpdateResult {
  bool descriptor_fetched = false;
  int downloaded = 0;  // packs fetched (and, for archives, handed to the unpacking tool)
  int failed = 0;      // packs whose download failed
  int refused = 0;     // packs whose file name is not a safe relative name
  bool committed = false;  // the new descriptor became Upgrade.kezo
};

// The data update: fetches the data-pack descriptor into SUpgrade.kezo, compares it with
// Upgrade.kezo (the descriptor of the last committed update), downloads each pack that is
// new, changed, or (a plain pack) missing from disk, unpacks archives into Data with the
// archive tool and deletes them, and finally commits: when the last pack fetched in this
// run succeeded, SUpgrade.kezo replaces Upgrade.kezo (atomically, so one of the two always
// exists); otherwise SUpgrade.kezo is deleted and Upgrade.kezo stays, so the packs are
// tried again next time. A run that needed no download also keeps Upgrade.kezo. After any
// download, the shipped site lists are stored with every name in its ASCII form
// (StoreHostsInAsciiForm), as the proxy compares them.
//
// A pack whose file name is refused by IsSafePackName is not fetched and counts as a
// failed download for the commit. Runs on the calling thread; uses the FileSystem,
// Downloader, UrlCache, Clock and ArchiveTool services.
DataUpdateResult RunDataUpdate(const UpdateHost& host);
