#include "platform/instance_lock.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace {

class MutexInstanceLock : public InstanceLock {
 public:
  explicit MutexInstanceLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexInstanceLock() override { CloseHandle(mutex_); }

 private:
  HANDLE mutex_;
};

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Create(std::u16string_view name, bool initially_owned, bool* existed) {
  std::wstring wide = ToWideString(name);
  HANDLE mutex = CreateMutexW(nullptr, initially_owned ? TRUE : FALSE, wide.c_str());
  *existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (mutex == nullptr) return nullptr;
  return std::make_unique<MutexInstanceLock>(mutex);
}
