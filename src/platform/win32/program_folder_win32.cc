#include "platform/program_folder.h"

#include <windows.h>

#include <vector>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

std::wstring ProgramFolderWide() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      std::wstring file(path.data(), length);
      return file.substr(0, file.rfind(L'\\'));
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string ProgramFolder() {
  std::wstring folder = ProgramFolderWide();
  return WideToLocal(FromWide(folder.c_str(), folder.size()));
}

bool EnterProgramFolder() {
  std::wstring folder = ProgramFolderWide();
  return !folder.empty() && SetCurrentDirectoryW(folder.c_str()) != 0;
}
