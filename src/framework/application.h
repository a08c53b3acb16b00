#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CDialog;

// The application object: the program's start and exit hooks around the message loop, the
// application title, and the per-user profile functions.
//
// Run() calls InitInstance; when it returns true, runs the message loop until the main
// window is destroyed, then calls ExitInstance and returns its exit code. Used on the
// user-interface thread.
class CApplication {
 public:
  explicit CApplication(std::u16string title);
  virtual ~CApplication();
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  int Run();

  const std::u16string& Title() const { return title_; }
  CDialog* MainWindow() const { return main_window_; }

  // The profile: section, value name and a default, as the profile store keeps them.
  int32_t GetProfileInt(std::string_view section, std::string_view name, int32_t fallback);
  bool WriteProfileInt(std::string_view section, std::string_view name, int32_t value);
  std::u16string GetProfileString(std::string_view section, std::string_view name, std::u16string_view fallback);
  bool WriteProfileString(std::string_view section, std::string_view name, std::u16string_view value);
  std::optional<std::vector<uint8_t>> GetProfileBinary(std::string_view section, std::string_view name);
  bool WriteProfileBinary(std::string_view section, std::string_view name, const std::vector<uint8_t>& value);

  // Names the profile root (the maker); the profile lies under root\title. The store of
  // this program is fixed to one root, so another name is refused (false).
  bool SetRegistryKey(std::u16string_view root);
  const std::u16string& RegistryKey() const { return registry_key_; }

 protected:
  // Start hook; false ends the program at once (ExitInstance still runs).
  virtual bool InitInstance() { return false; }
  // Exit hook; returns the process exit code.
  virtual int ExitInstance() { return 0; }

  // The window whose destruction ends the message loop.
  void SetMainWindow(CDialog* window);

 private:
  std::u16string title_;
  std::u16string registry_key_;
  CDialog* main_window_ = nullptr;
};

// The title of the running application ("Veltra"), the default caption of message boxes;
// empty before an application object exists.
const std::u16string& ApplicationTitle();

// The profile root that the program's profile store uses.
inline constexpr std::u16string_view kProfileRoot = u"Solvane";
