#include "platform/autostart_store.h"

#include <windows.h>
#include <taskschd.h>

#include <string>

#include "platform/win32/system_info.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr wchar_t kName[] = L"kezo";
constexpr wchar_t kApprovalKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";

// The Run key of this program's registry view: a 32-bit program on a 64-bit system writes
// the key that 32-bit programs see.
const wchar_t* RunKeyPath() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return wow64 ? L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"
               : L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}

// COM for the calling thread for the life of the object (the thread may have it already).
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

// The task scheduler's root folder; null when the service cannot be reached.
ITaskFolder* OpenRootFolder() {
  ITaskService* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(&service)))) {
    return nullptr;
  }
  ITaskFolder* root = nullptr;
  VARIANT none{};
  VariantInit(&none);
  BSTR path = SysAllocString(L"\\");
  if (SUCCEEDED(service->Connect(none, none, none, none))) service->GetFolder(path, &root);
  SysFreeString(path);
  service->Release();
  return root;
}

class WindowsAutostartStore : public AutostartStore {
 public:
  // Every system after Vista (6.0) has the task scheduler that takes a task file.
  bool UsesScheduledTask() override {
    return WindowsVersionAtLeast(6, 1);
  }

  void DeleteTask() override {
    ComScope com;
    if (ITaskFolder* root = OpenRootFolder()) {
      BSTR name = SysAllocString(kName);
      root->DeleteTask(name, 0);
      SysFreeString(name);
      root->Release();
    }
  }

  bool TaskExists() override {
    ComScope com;
    ITaskFolder* root = OpenRootFolder();
    if (root == nullptr) return false;
    bool found = false;
    IRegisteredTaskCollection* tasks = nullptr;
    if (SUCCEEDED(root->GetTasks(TASK_ENUM_HIDDEN, &tasks))) {
      LONG count = 0;
      tasks->get_Count(&count);
      for (LONG i = 1; i <= count && !found; ++i) {
        VARIANT index{};
        index.vt = VT_I4;
        index.lVal = i;
        IRegisteredTask* task = nullptr;
        if (FAILED(tasks->get_Item(index, &task))) continue;
        BSTR name = nullptr;
        if (SUCCEEDED(task->get_Name(&name)) && name != nullptr) {
          found = lstrcmpW(name, kName) == 0;
          SysFreeString(name);
        }
        task->Release();
      }
      tasks->Release();
    }
    root->Release();
    return found;
  }

  Result WriteEntry(std::u16string_view program_path, std::u16string_view switches, int* error) override {
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunKeyPath(), 0, KEY_ALL_ACCESS, &key);
    if (opened != ERROR_SUCCESS) {
      *error = static_cast<int>(opened);
      return opened == ERROR_ACCESS_DENIED ? Result::kAccessDenied : Result::kFailed;
    }
    std::wstring command = L"\"" + ToWideString(program_path) + L"\" " + ToWideString(switches);
    LONG written = RegSetValueExW(key, kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) {
      *error = static_cast<int>(written);
      return Result::kFailed;
    }
    EnableStartupApproved();
    return Result::kDone;
  }

  void DeleteEntry() override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunKeyPath(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, kName);
    RegCloseKey(key);
  }

  bool EntryExists() override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunKeyPath(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    bool exists = RegQueryValueExW(key, kName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
  }

 private:
  // A start entry that the user switched off in the task manager is switched on again.
  static void EnableStartupApproved() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kApprovalKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
      return;
    }
    if (RegQueryValueExW(key, kName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      const BYTE enabled[12] = {2};
      RegSetValueExW(key, kName, 0, REG_BINARY, enabled, sizeof enabled);
    }
    RegCloseKey(key);
  }
};

}  // namespace

AutostartStore& AutostartStore::System() {
  static WindowsAutostartStore store;
  return store;
}
