#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/seam.h"

// The sandboxed store applications of the user (Windows app containers) and the system's
// tool that exempts them from the loopback block. Thread-safe.
class AppContainers : public Seam<AppContainers> {
 public:
  virtual ~AppContainers() = default;

  // Whether the system has app containers (Windows 7, version 6.1, and later).
  virtual bool Supported() = 0;
  // The security identifiers of the user's registered app containers (the names of the
  // subkeys of the mappings key; a name that cannot be read is skipped); nullopt when the
  // key cannot be opened with full access.
  virtual std::optional<std::vector<std::u16string>> List() = 0;
  // The system folder, for the tool's full path.
  virtual std::u16string SystemDirectory() = 0;
  // Starts `tool` with `parameters` through the shell, hidden, without waiting.
  virtual void RunTool(std::u16string_view tool, std::u16string_view parameters) = 0;

  static AppContainers& System();
};
