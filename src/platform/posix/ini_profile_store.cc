#include "platform/posix/ini_profile_store.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "base/text_lines.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/utf8_codec.h"

namespace {

constexpr std::string_view kDwordTag = "dword:";
constexpr std::string_view kStringTag = "sz:";
constexpr std::string_view kBinaryTag = "hex:";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::optional<int32_t> ParseDword(std::string_view digits) {
  int64_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (value < INT32_MIN || value > UINT32_MAX) return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));  // registry dwords are 32 bits
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': out.push_back('\\'); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case '0': out.push_back('\0'); break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

void MakeDirectories(const std::string& file_path) {
  for (size_t slash = file_path.find('/', 1); slash != std::string::npos; slash = file_path.find('/', slash + 1)) {
    mkdir(file_path.substr(0, slash).c_str(), 0755);
  }
}

}  // namespace

IniProfileStore::IniProfileStore(std::string file_path) : path_(std::move(file_path)) {}

std::string IniProfileStore::DefaultPath() {
  const char* dir = getenv("KEZO_PROFILE_DIR");
  if (dir != nullptr && *dir != '\0') return std::string(dir) + "/Veltra.ini";
  std::string config;
  const char* xdg = getenv("XDG_CONFIG_HOME");
  const char* home = getenv("HOME");
  if (xdg != nullptr && *xdg == '/') {
    config = xdg;
  } else {
    config = std::string(home != nullptr ? home : ".") + "/.config";
  }
  return config + "/Solvane/Veltra/Veltra.ini";
}

std::optional<IniProfileStore::Value> IniProfileStore::ParseValue(std::string_view encoded) {
  Value value{};
  if (encoded.starts_with(kDwordTag)) {
    auto dword = ParseDword(Trim(encoded.substr(kDwordTag.size())));
    if (!dword) return std::nullopt;
    value.type = Value::Type::kDword;
    value.dword = *dword;
  } else if (encoded.starts_with(kStringTag)) {
    auto text = Unescape(encoded.substr(kStringTag.size()));
    if (!text) return std::nullopt;
    value.type = Value::Type::kString;
    value.text = DecodeUtf8(*text);
  } else if (encoded.starts_with(kBinaryTag)) {
    auto bytes = ParseHex(Trim(encoded.substr(kBinaryTag.size())));
    if (!bytes) return std::nullopt;
    value.type = Value::Type::kBinary;
    value.bytes = std::move(*bytes);
  } else {
    return std::nullopt;
  }
  return value;
}

std::string IniProfileStore::FormatValue(const Value& value) {
  switch (value.type) {
    case Value::Type::kDword:
      return std::string(kDwordTag) + std::to_string(value.dword);
    case Value::Type::kString:
      return std::string(kStringTag) + Escape(EncodeUtf8(value.text));
    case Value::Type::kBinary: {
      static constexpr char kDigits[] = "0123456789abcdef";
      std::string out(kBinaryTag);
      for (uint8_t byte : value.bytes) {
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 15]);
      }
      return out;
    }
  }
  return {};
}

IniProfileStore::FileStamp IniProfileStore::StampOfFile() const {
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_size,
          static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

void IniProfileStore::RefreshIfChanged() {
  FileStamp stamp = StampOfFile();
  if (loaded_ && stamp == loaded_stamp_) return;
  sections_.clear();
  if (stamp.exists) Parse(ReadWholeFile(path_).value_or(""));
  loaded_stamp_ = stamp;
  loaded_ = true;
}

void IniProfileStore::Parse(std::string_view content) {
  Section* current = nullptr;
  for (std::string_view line : TextLines(content)) {
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      std::string name(Trim(trimmed.substr(1, trimmed.size() - 2)));
      current = nullptr;
      for (Section& section : sections_) {
        if (EqualsIgnoringCase(section.name, name)) current = &section;
      }
      if (current == nullptr) current = &sections_.emplace_back(Section{name, {}});
      continue;
    }
    size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    std::string_view name = Trim(line.substr(0, equals));
    std::string_view encoded = line.substr(equals + 1);
    while (!encoded.empty() && encoded.front() == ' ') encoded.remove_prefix(1);
    auto value = ParseValue(encoded);
    if (name.empty() || !value) continue;
    bool replaced = false;
    for (Entry& entry : current->entries) {
      if (EqualsIgnoringCase(entry.name, name)) {
        entry.value = std::move(*value);  // the last of repeated names wins
        replaced = true;
      }
    }
    if (!replaced) current->entries.push_back(Entry{std::string(name), std::move(*value)});
  }
}

std::string IniProfileStore::Print() const {
  std::string out;
  for (const Section& section : sections_) {
    if (!out.empty()) out += "\n";
    out += "[" + section.name + "]\n";
    for (const Entry& entry : section.entries) out += entry.name + "=" + FormatValue(entry.value) + "\n";
  }
  return out;
}

const IniProfileStore::Value* IniProfileStore::Find(std::string_view section, std::string_view name) {
  RefreshIfChanged();
  for (const Section& s : sections_) {
    if (!EqualsIgnoringCase(s.name, section)) continue;
    for (const Entry& entry : s.entries) {
      if (EqualsIgnoringCase(entry.name, name)) return &entry.value;
    }
  }
  return nullptr;
}

bool IniProfileStore::Store(std::string_view section, std::string_view name, Value value) {
  std::lock_guard lock(mu_);
  RefreshIfChanged();
  std::vector<Section> previous = sections_;
  Section* target = nullptr;
  for (Section& s : sections_) {
    if (EqualsIgnoringCase(s.name, section)) target = &s;
  }
  if (target == nullptr) target = &sections_.emplace_back(Section{std::string(section), {}});
  Entry* entry = nullptr;
  for (Entry& e : target->entries) {
    if (EqualsIgnoringCase(e.name, name)) entry = &e;
  }
  if (entry == nullptr) entry = &target->entries.emplace_back(Entry{std::string(name), {}});
  entry->value = std::move(value);

  MakeDirectories(path_);
  if (!ReplaceFileAtomically(path_, Print())) {
    sections_ = std::move(previous);  // not stored: the profile keeps what the file holds
    return false;
  }
  loaded_stamp_ = StampOfFile();
  return true;
}

int32_t IniProfileStore::GetInt(std::string_view section, std::string_view name, int32_t fallback) {
  std::lock_guard lock(mu_);
  const Value* value = Find(section, name);
  return value != nullptr && value->type == Value::Type::kDword ? value->dword : fallback;
}

bool IniProfileStore::WriteInt(std::string_view section, std::string_view name, int32_t value) {
  return Store(section, name, Value{Value::Type::kDword, value, {}, {}});
}

std::u16string IniProfileStore::GetString(std::string_view section, std::string_view name,
                                          std::u16string_view fallback) {
  std::lock_guard lock(mu_);
  const Value* value = Find(section, name);
  return value != nullptr && value->type == Value::Type::kString ? value->text : std::u16string(fallback);
}

bool IniProfileStore::WriteString(std::string_view section, std::string_view name, std::u16string_view value) {
  return Store(section, name, Value{Value::Type::kString, 0, std::u16string(value), {}});
}

std::optional<std::vector<uint8_t>> IniProfileStore::GetBinary(std::string_view section, std::string_view name) {
  std::lock_guard lock(mu_);
  const Value* value = Find(section, name);
  if (value == nullptr || value->type != Value::Type::kBinary) return std::nullopt;
  return value->bytes;
}

bool IniProfileStore::WriteBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value) {
  return Store(section, name, Value{Value::Type::kBinary, 0, {}, value});
}

ProfileStore& ProfileStore::System() {
  static IniProfileStore store(IniProfileStore::DefaultPath());
  return store;
}
