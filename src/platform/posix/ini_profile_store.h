#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/thread_annotations.h"
#include "platform/profile_store.h"

// The profile as one text file that a person can read and edit:
//
//   [Setup]
//   FilterAD=dword:1
//   UserFont=sz:宋体
//   FilterCount=hex:2a000000
//
// `sz:` text is UTF-8 with a backslash written as "\\", a line feed as "\n" and a carriage
// return as "\r". `hex:` holds two hex digits per byte. A line that cannot be understood is
// skipped (and dropped at the next write). Every write rewrites the whole file atomically;
// a read notices when the file was changed from outside and reads it again.
// Thread-safe: one mutex guards the cached content.
class IniProfileStore : public ProfileStore {
 public:
  explicit IniProfileStore(std::string file_path);

  int32_t GetInt(std::string_view section, std::string_view name, int32_t fallback) override;
  bool WriteInt(std::string_view section, std::string_view name, int32_t value) override;
  std::u16string GetString(std::string_view section, std::string_view name, std::u16string_view fallback) override;
  bool WriteString(std::string_view section, std::string_view name, std::u16string_view value) override;
  std::optional<std::vector<uint8_t>> GetBinary(std::string_view section, std::string_view name) override;
  bool WriteBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value) override;

  // The file used by ProfileStore::System(): Veltra.ini in $KEZO_PROFILE_DIR when set, else
  // in $XDG_CONFIG_HOME/Solvane/Veltra, else in ~/.config/Solvane/Veltra.
  static std::string DefaultPath();

  // Parsing and printing of one value's text after the '=' (exposed for tests).
  struct Value {
    enum class Type { kDword, kString, kBinary } type;
    int32_t dword = 0;
    std::u16string text;
    std::vector<uint8_t> bytes;
  };
  static std::optional<Value> ParseValue(std::string_view encoded);
  static std::string FormatValue(const Value& value);

 private:
  struct Entry {
    std::string name;
    Value value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified_ns = 0;
    bool operator==(const FileStamp&) const = default;
  };

  const Value* Find(std::string_view section, std::string_view name) REQUIRES(mu_);
  bool Store(std::string_view section, std::string_view name, Value value) EXCLUDES(mu_);
  void RefreshIfChanged() REQUIRES(mu_);
  void Parse(std::string_view content) REQUIRES(mu_);
  std::string Print() const REQUIRES(mu_);
  FileStamp StampOfFile() const;

  const std::string path_;
  std::mutex mu_;
  std::vector<Section> sections_ GUARDED_BY(mu_);
  FileStamp loaded_stamp_ GUARDED_BY(mu_);
  bool loaded_ GUARDED_BY(mu_) = false;
};
