#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/seam.h"

// The per-user settings store, organised in sections of named, typed values: 32-bit
// integers, UTF-16 strings and byte blobs. On Windows it is the registry under
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>; on POSIX one editable
// text file. Section and value names are ASCII and compared without regard to case.
//
// Reads never fail: a missing section, a missing value or a value stored with another type
// gives the default (or nullopt). Writes report whether they were stored. Thread-safe.
class ProfileStore : public Seam<ProfileStore> {
 public:
  virtual ~ProfileStore() = default;

  virtual int32_t GetInt(std::string_view section, std::string_view name, int32_t fallback) = 0;
  virtual bool WriteInt(std::string_view section, std::string_view name, int32_t value) = 0;

  virtual std::u16string GetString(std::string_view section, std::string_view name,
                                   std::u16string_view fallback) = 0;
  virtual bool WriteString(std::string_view section, std::string_view name, std::u16string_view value) = 0;

  virtual std::optional<std::vector<uint8_t>> GetBinary(std::string_view section, std::string_view name) = 0;
  virtual bool WriteBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value) = 0;

  // The store of the signed-in user for the program "Veltra" of the maker "Solvane".
  static ProfileStore& System();
};
