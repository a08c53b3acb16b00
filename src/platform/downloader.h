#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "base/seam.h"

// Fetching a web address into a file: urlmon's URLDownloadToFileA on Windows, a small
// HTTP/1.1 client of the program's own on POSIX (plain "http://" addresses only; see
// downloader_posix.cc). Thread-safe; each call blocks its thread until the download ends.
class Downloader : public Seam<Downloader> {
 public:
  // Bytes received so far and the whole size (0 while the size is unknown), reported on
  // the downloading thread as the body arrives.
  using Progress = std::function<void(uint64_t received, uint64_t total)>;

  virtual ~Downloader() = default;

  // Downloads `url` (local code page) into `file` (the program's relative name). The bytes
  // go to a temporary file beside `file`, which replaces it only once the whole body has
  // arrived with a success status; any failure (no connection, an error status, a cut-off
  // body, a full disk) returns false and leaves an existing `file` as it was. `progress`
  // may be empty.
  virtual bool Download(std::string_view url, std::string_view file, const Progress& progress) = 0;

  static Downloader& System();
};
