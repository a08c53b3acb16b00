#include "platform/browser_traces.h"

#include <windows.h>
#include <wininet.h>
#include <shlguid.h>
#include <urlhist.h>

#include <vector>

namespace {

// Every entry of the URL cache, each read into a buffer of the size the system asks for.
void ClearUrlCache() {
  std::vector<char> buffer(4096);
  DWORD size = static_cast<DWORD>(buffer.size());
  auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()); };
  HANDLE search = FindFirstUrlCacheEntryW(nullptr, entry(), &size);
  if (search == nullptr && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(size);
    search = FindFirstUrlCacheEntryW(nullptr, entry(), &size);
  }
  if (search == nullptr) return;
  for (;;) {
    DeleteUrlCacheEntryW(entry()->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
    if (FindNextUrlCacheEntryW(search, entry(), &size)) continue;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(size);
    if (!FindNextUrlCacheEntryW(search, entry(), &size)) break;
  }
  FindCloseUrlCache(search);
}

void ClearHistory() {
  HRESULT com = CoInitialize(nullptr);
  IUrlHistoryStg2* history = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_CUrlHistory, nullptr, CLSCTX_INPROC_SERVER, IID_IUrlHistoryStg2,
                                 reinterpret_cast<void**>(&history)))) {
    history->ClearHistory();
    history->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

void ClearBrowserTraces() {
  ClearUrlCache();
  ClearHistory();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs");
}
