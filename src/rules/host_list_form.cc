#include "rules/host_list_form.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "proxy/canonical_host.h"
#include "rules/data_file.h"

namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool StoreHostsInAsciiForm(const ListFile& file) {
  std::optional<std::string> body = CMyFile::ReadUtf8Body(file.path, file.scrambled);
  if (!body || IsAscii(*body)) return false;
  std::string rewritten;
  rewritten.reserve(body->size());
  std::string_view rest(*body);
  while (!rest.empty()) {
    size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    std::string entry = IsAscii(line) ? std::string(line) : CanonicalHost(line);
    if (entry.empty() || !IsAscii(entry)) continue;
    rewritten.append(entry).append("\r\n");
  }
  CMyFile target(std::string(file.path), file.scrambled);
  target.SetHasBom(true);
  return target.Write(rewritten);
}
