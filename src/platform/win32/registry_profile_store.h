#pragma once

#include <string>

#include "platform/profile_store.h"

// The profile in the registry: HKEY_CURRENT_USER\Software\<company>\<application>\<section>,
// with integers as REG_DWORD, strings as REG_SZ and blobs as REG_BINARY. Each call opens
// and closes its key, so the store holds no handles and is safe on any thread.
class RegistryProfileStore : public ProfileStore {
 public:
  RegistryProfileStore(std::u16string company, std::u16string application);

  int32_t GetInt(std::string_view section, std::string_view name, int32_t fallback) override;
  bool WriteInt(std::string_view section, std::string_view name, int32_t value) override;
  std::u16string GetString(std::string_view section, std::string_view name, std::u16string_view fallback) override;
  bool WriteString(std::string_view section, std::string_view name, std::u16string_view value) override;
  std::optional<std::vector<uint8_t>> GetBinary(std::string_view section, std::string_view name) override;
  bool WriteBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value) override;

  // The key path of a section below HKEY_CURRENT_USER.
  std::u16string SectionKey(std::string_view section) const;

 private:
  // Reads a value of the given registry type; nullopt when absent or of another type.
  std::optional<std::vector<uint8_t>> Query(std::string_view section, std::string_view name, unsigned long type);
  bool Set(std::string_view section, std::string_view name, unsigned long type, const void* data, size_t size);

  const std::u16string root_;
};
