#include "platform/file_system.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

std::wstring WidePath(std::string_view path) { return ToWideString(LocalToWide(path)); }

bool WriteFully(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

class Win32FileSystem : public FileSystem {
 public:
  std::optional<std::string> ReadAll(std::string_view path) override {
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) content.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
        CloseHandle(file);
        return std::nullopt;
      }
      if (got == 0) break;
      content.append(buffer, got);
    }
    CloseHandle(file);
    return content;
  }

  bool Replace(std::string_view path, std::string_view data) override {
    static std::atomic<unsigned> sequence{0};
    std::wstring target = WidePath(path);
    std::wstring temp = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"." +
                        std::to_wstring(sequence.fetch_add(1));
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteFully(file, data) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(temp.c_str());
    return false;
  }

  bool Exists(std::string_view path) override {
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool Remove(std::string_view path) override { return DeleteFileW(WidePath(path).c_str()) != 0; }
};

}  // namespace

FileSystem& FileSystem::System() {
  static Win32FileSystem files;
  return files;
}
