#include "updater/update_host.h"

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/url_cache.h"

UpdateHost::UpdateHost(std::string base) : base_(std::move(base)) {
  while (!base_.empty() && base_.back() == '/') base_.pop_back();
}

UpdateHost UpdateHost::FromSetting() {
  std::string text = FileSystem::Current().ReadAll(kSettingFile).value_or("");
  std::string_view line(text);
  if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // a byte-order mark from an editor
  line = line.substr(0, line.find_first_of("\r\n"));
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '/')) line.remove_suffix(1);
  return UpdateHost(line.empty() ? std::string(kDefaultBase) : std::string(line));
}

std::u16string UpdateHost::UpdatePage(bool trailing_slash) const {
  return LocalToWide(base_) + (trailing_slash ? u"/soft_update/" : u"/soft_update");
}

bool DownloadFresh(std::string_view url, std::string_view file, const Downloader::Progress& progress) {
  UrlCache::Current().Remove(LocalToWide(url));
  std::string fresh(url);
  fresh += fresh.find('?') == std::string::npos ? "?time=" : "&time=";
  fresh += std::to_string(static_cast<uint32_t>(Clock::Current().TickMs()));
  return Downloader::Current().Download(fresh, file, progress);
}
