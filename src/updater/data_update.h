#pragma once

#include "updater/update_host.h"

// What one data update did, for the caller's report and for tests.
struct DataUpdateResult {
  bool descriptor_fetched = false;
  int downloaded = 0;     // packs fetched
  int failed = 0;         // packs whose download failed
  int refused = 0;        // packs whose file name is not one a data pack may write (MayWritePack)
  int unpack_failed = 0;  // archives that the unpacking tool could not unpack whole
  int left_out = 0;       // files of archives that are not data files (IsDataFileName)
  bool committed = false;  // the new descriptor became Upgrade.kezo
};

// The data update: fetches the data-pack descriptor into SUpgrade.kezo, compares it with
// Upgrade.kezo (the descriptor of the last committed update), downloads each pack that is
// new, changed, or (a plain pack) missing from disk, unpacks archives (their data files
// only) into Data with the archive tool and deletes them once unpacked, and finally
// commits: when every pack that needed fetching was fetched and unpacked, SUpgrade.kezo
// replaces Upgrade.kezo (atomically, so one of the two always exists); otherwise
// SUpgrade.kezo is deleted and Upgrade.kezo stays, so the packs are tried again next time.
// A run that needed no download also keeps Upgrade.kezo.
//
// A pack whose file name MayWritePack refuses is not fetched and blocks the commit like a
// failed download. Runs on the calling thread; uses the FileSystem, Downloader, UrlCache,
// Clock and ArchiveTool services.
DataUpdateResult RunDataUpdate(const UpdateHost& host);
