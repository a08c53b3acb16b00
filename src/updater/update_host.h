#pragma once

#include <string>
#include <string_view>

#include "platform/downloader.h"

// The maker's update host: where the two descriptors and the update page are. Its base
// address is a deployment setting, read from the first line of the file Data\UpdateHost.txt
// in the program folder (blanks and trailing slashes trimmed), for example
//   http://update.solvane.example
// When that file is missing or its first line is empty, kDefaultBase is used. Test setups
// point the file at a local server.
class UpdateHost {
 public:
  static constexpr std::string_view kSettingFile = "Data\\UpdateHost.txt";
  static constexpr std::string_view kDefaultBase = "http://update.solvane.example";
  static constexpr std::string_view kProgramDescriptorPath = "/ckezo/SoftUpgrade.txt";
  static constexpr std::string_view kDataDescriptorPath = "/CKEZO/ConfigUpgrade.txt";

  explicit UpdateHost(std::string base);
  // The host that the setting file names, or the default.
  static UpdateHost FromSetting();

  const std::string& Base() const { return base_; }
  // The base address followed by `path` (which starts with "/").
  std::string Address(std::string_view path) const { return base_ + std::string(path); }
  // The maker's update page, for links and the browser.
  std::u16string UpdatePage(bool trailing_slash) const;

 private:
  std::string base_;
};

// Downloads `url` into `file` past every cache: the cached copy of the plain address is
// dropped first, then the address is fetched with "time=" and the millisecond tick added as
// a query ("?time=N", or "&time=N" when the address already has a query). Returns the
// downloader's result; on failure an existing `file` is left as it was.
bool DownloadFresh(std::string_view url, std::string_view file, const Downloader::Progress& progress = {});
