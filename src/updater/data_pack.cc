#include "updater/data_pack.h"

#include <cctype>
#include <cstdlib>
#include <optional>

#include "base/text_lines.h"

namespace {

constexpr size_t kMaxLineLength = 1023;
constexpr size_t kFileNameLength = 259;
constexpr size_t kVersionLength = 19;
constexpr size_t kAddressLength = 1023;
constexpr size_t kLocalPathLength = 259;
constexpr size_t kRequiredFields = 4;

// The leading decimal number of a field, as the C library's atoi reads it.
int LeadingNumber(const std::string& field) { return std::atoi(field.c_str()); }

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  size_t at = 0;
  while (at <= line.size()) {
    size_t tab = line.find('\t', at);
    if (tab == std::string_view::npos) tab = line.size();
    if (tab > at) fields.emplace_back(line.substr(at, tab - at));
    at = tab + 1;
  }
  return fields;
}

}  // namespace

std::vector<DataPack> ParseDataPacks(std::string_view text) {
  std::vector<DataPack> packs;
  int position = 0;
  for (std::string_view line : TextLines(text)) {
    if (line.size() > kMaxLineLength) break;
    int index = position++;
    if (line.starts_with(";")) continue;
    std::vector<std::string> fields = Fields(line);
    if (fields.size() < kRequiredFields) continue;
    DataPack pack;
    pack.position = index;
    pack.archive = LeadingNumber(fields[0]) != 0;
    pack.file_name = fields[1].substr(0, kFileNameLength);
    pack.version = fields[2].substr(0, kVersionLength);
    pack.address = fields[3].substr(0, kAddressLength);
    if (fields.size() > 4) pack.local_path = fields[4].substr(0, kLocalPathLength);
    if (fields.size() > 5) pack.second_flag = LeadingNumber(fields[5]);
    packs.push_back(std::move(pack));
  }
  return packs;
}

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  text.remove_prefix(text.size() - ending.size());
  for (size_t i = 0; i < ending.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != ending[i]) return false;
  }
  return true;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && EndsWithNoCase(text, lower);
}

// One name without a folder. "~" is refused too: a short name such as "UPDATE~1.TXT" may
// be another file's second name on Windows.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.front() == '-' || name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    if (c == '\\' || c == '/' || c == ':' || c == '"' || c == '~' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

// The name after a leading "Data\\" (or "Data/", in any case); nullopt without one.
std::optional<std::string_view> InDataFolder(std::string_view name) {
  constexpr std::string_view kFolder = "data";
  if (name.size() <= kFolder.size() || (name[kFolder.size()] != '\\' && name[kFolder.size()] != '/')) return std::nullopt;
  if (!EqualsNoCase(name.substr(0, kFolder.size()), kFolder)) return std::nullopt;
  return name.substr(kFolder.size() + 1);
}

}  // namespace

bool IsDataFileName(std::string_view name) {
  if (!IsPlainName(name) || EqualsNoCase(name, "updatehost.txt")) return false;
  return EndsWithNoCase(name, ".kezo") || EndsWithNoCase(name, ".txt") || EndsWithNoCase(name, ".html");
}

bool MayWritePack(const DataPack& pack) {
  std::optional<std::string_view> in_data = InDataFolder(pack.file_name);
  if (!pack.archive) return in_data && IsDataFileName(*in_data);
  std::string_view name = in_data.value_or(pack.file_name);
  return IsPlainName(name) && EndsWithNoCase(name, ".7z");
}
