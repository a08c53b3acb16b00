#include "config/profile_values.h"

#include <vector>

#include "platform/profile_store.h"

int32_t ReadProfile(const IntValue& value) {
  return ProfileStore::Current().GetInt(value.section, value.name, value.fallback);
}

std::u16string ReadProfile(const StringValue& value) {
  return ProfileStore::Current().GetString(value.section, value.name, value.fallback);
}

std::optional<int32_t> ReadProfile(const BinaryValue& value) {
  auto bytes = ProfileStore::Current().GetBinary(value.section, value.name);
  if (!bytes || bytes->size() != 4) return std::nullopt;
  uint32_t data = 0;
  for (int i = 3; i >= 0; --i) data = data << 8 | (*bytes)[static_cast<size_t>(i)];
  return static_cast<int32_t>(data);
}

bool WriteProfile(const IntValue& value, int32_t data) {
  return ProfileStore::Current().WriteInt(value.section, value.name, data);
}

bool WriteProfile(const StringValue& value, std::u16string_view data) {
  return ProfileStore::Current().WriteString(value.section, value.name, data);
}

bool WriteProfile(const BinaryValue& value, int32_t data) {
  uint32_t bits = static_cast<uint32_t>(data);
  std::vector<uint8_t> bytes{static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                             static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
  return ProfileStore::Current().WriteBinary(value.section, value.name, bytes);
}
