#pragma once

#include <map>
#include <mutex>
#include <string>
#include <variant>

#include "platform/profile_store.h"

// A profile kept in memory, for tests. Names are compared without regard to case, as in
// the real stores. Thread-safe.
class MemoryProfileStore : public ProfileStore {
 public:
  using Value = std::variant<int32_t, std::u16string, std::vector<uint8_t>>;

  int32_t GetInt(std::string_view section, std::string_view name, int32_t fallback) override {
    return Get<int32_t>(section, name).value_or(fallback);
  }
  bool WriteInt(std::string_view section, std::string_view name, int32_t value) override {
    return Set(section, name, value);
  }
  std::u16string GetString(std::string_view section, std::string_view name, std::u16string_view fallback) override {
    return Get<std::u16string>(section, name).value_or(std::u16string(fallback));
  }
  bool WriteString(std::string_view section, std::string_view name, std::u16string_view value) override {
    return Set(section, name, std::u16string(value));
  }
  std::optional<std::vector<uint8_t>> GetBinary(std::string_view section, std::string_view name) override {
    return Get<std::vector<uint8_t>>(section, name);
  }
  bool WriteBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value) override {
    return Set(section, name, value);
  }

  bool Has(std::string_view section, std::string_view name) {
    std::lock_guard lock(mu_);
    return values_.count(Key(section, name)) > 0;
  }
  size_t Size() {
    std::lock_guard lock(mu_);
    return values_.size();
  }

 private:
  static std::string Key(std::string_view section, std::string_view name) {
    std::string key = std::string(section) + "\\" + std::string(name);
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return key;
  }
  template <typename T>
  std::optional<T> Get(std::string_view section, std::string_view name) {
    std::lock_guard lock(mu_);
    auto found = values_.find(Key(section, name));
    if (found == values_.end() || !std::holds_alternative<T>(found->second)) return std::nullopt;
    return std::get<T>(found->second);
  }
  bool Set(std::string_view section, std::string_view name, Value value) {
    std::lock_guard lock(mu_);
    values_[Key(section, name)] = std::move(value);
    return true;
  }

  std::mutex mu_;
  std::map<std::string, Value> values_;
};
