#include "framework/application.h"

#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "platform/profile_store.h"

namespace {

std::u16string& TitleSlot() {
  static std::u16string title;
  return title;
}

}  // namespace

const std::u16string& ApplicationTitle() { return TitleSlot(); }

CApplication::CApplication(std::u16string title) : title_(std::move(title)) { TitleSlot() = title_; }

CApplication::~CApplication() = default;

int CApplication::Run() {
  if (InitInstance()) Ui().RunMessageLoop();
  return ExitInstance();
}

void CApplication::SetMainWindow(CDialog* window) {
  if (main_window_ != nullptr) main_window_->SetQuitsOnDestroy(false);
  main_window_ = window;
  if (window != nullptr) window->SetQuitsOnDestroy(true);
}

bool CApplication::SetRegistryKey(std::u16string_view root) {
  if (root != kProfileRoot) return false;
  registry_key_ = root;
  return true;
}

int32_t CApplication::GetProfileInt(std::string_view section, std::string_view name, int32_t fallback) {
  return ProfileStore::Current().GetInt(section, name, fallback);
}

bool CApplication::WriteProfileInt(std::string_view section, std::string_view name, int32_t value) {
  return ProfileStore::Current().WriteInt(section, name, value);
}

std::u16string CApplication::GetProfileString(std::string_view section, std::string_view name,
                                              std::u16string_view fallback) {
  return ProfileStore::Current().GetString(section, name, fallback);
}

bool CApplication::WriteProfileString(std::string_view section, std::string_view name, std::u16string_view value) {
  return ProfileStore::Current().WriteString(section, name, value);
}

std::optional<std::vector<uint8_t>> CApplication::GetProfileBinary(std::string_view section, std::string_view name) {
  return ProfileStore::Current().GetBinary(section, name);
}

bool CApplication::WriteProfileBinary(std::string_view section, std::string_view name,
                                      const std::vector<uint8_t>& value) {
  return ProfileStore::Current().WriteBinary(section, name, value);
}
