#include "platform/win32/registry_profile_store.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/wide_text.h"

namespace {

std::wstring AsciiToWide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

RegistryProfileStore::RegistryProfileStore(std::u16string company, std::u16string application)
    : root_(u"Software\\" + company + u"\\" + application) {}

std::u16string RegistryProfileStore::SectionKey(std::string_view section) const {
  return root_ + u"\\" + std::u16string(section.begin(), section.end());
}

std::optional<std::vector<uint8_t>> RegistryProfileStore::Query(std::string_view section, std::string_view name,
                                                                unsigned long type) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(SectionKey(section)), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value_name = AsciiToWide(name);
  std::vector<uint8_t> data;
  DWORD stored_type = 0;
  LSTATUS status = ERROR_MORE_DATA;
  // A value may grow between the size query and the read; ask again until it fits.
  for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
    DWORD size = 0;
    status = RegQueryValueExW(key, value_name.c_str(), nullptr, &stored_type, nullptr, &size);
    if (status != ERROR_SUCCESS) break;
    data.resize(size);
    status = RegQueryValueExW(key, value_name.c_str(), nullptr, &stored_type, data.data(), &size);
    data.resize(size);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || stored_type != type) return std::nullopt;
  return data;
}

bool RegistryProfileStore::Set(std::string_view section, std::string_view name, unsigned long type,
                               const void* data, size_t size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(SectionKey(section)), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = RegSetValueExW(key, AsciiToWide(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                                  static_cast<DWORD>(size));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

int32_t RegistryProfileStore::GetInt(std::string_view section, std::string_view name, int32_t fallback) {
  auto data = Query(section, name, REG_DWORD);
  if (!data || data->size() != sizeof(int32_t)) return fallback;
  int32_t value = 0;
  std::memcpy(&value, data->data(), sizeof value);
  return value;
}

bool RegistryProfileStore::WriteInt(std::string_view section, std::string_view name, int32_t value) {
  return Set(section, name, REG_DWORD, &value, sizeof value);
}

std::u16string RegistryProfileStore::GetString(std::string_view section, std::string_view name,
                                               std::u16string_view fallback) {
  auto data = Query(section, name, REG_SZ);
  if (!data) return std::u16string(fallback);
  std::u16string text(data->size() / sizeof(char16_t), u'\0');
  std::memcpy(text.data(), data->data(), text.size() * sizeof(char16_t));
  // A string is stored with one terminating NUL (or, by other writers, none); every unit
  // before it belongs to the value, NULs included: a scrambled password may hold one.
  if (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

bool RegistryProfileStore::WriteString(std::string_view section, std::string_view name, std::u16string_view value) {
  std::u16string text(value);
  return Set(section, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

std::optional<std::vector<uint8_t>> RegistryProfileStore::GetBinary(std::string_view section, std::string_view name) {
  return Query(section, name, REG_BINARY);
}

bool RegistryProfileStore::WriteBinary(std::string_view section, std::string_view name,
                                       const std::vector<uint8_t>& value) {
  return Set(section, name, REG_BINARY, value.data(), value.size());
}

ProfileStore& ProfileStore::System() {
  static RegistryProfileStore store(u"Solvane", u"Veltra");
  return store;
}
