#include "platform/downloader.h"

#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <string>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

// Hands urlmon's progress reports to the caller's callback; every other notification is
// left to urlmon's defaults.
class ProgressCallback : public IBindStatusCallback {
 public:
  explicit ProgressCallback(const Downloader::Progress& progress) : progress_(progress) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The object lives on the downloading thread's stack for the whole call.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progress_max, ULONG, LPCWSTR) override {
    if (progress_) progress_(progress, progress_max);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

 private:
  const Downloader::Progress& progress_;
  std::atomic<ULONG> references_{1};
};

class UrlMonDownloader : public Downloader {
 public:
  bool Download(std::string_view url, std::string_view file, const Progress& progress) override {
    static std::atomic<unsigned> sequence{0};
    std::string target(file);
    std::string temp = target + ".part" + std::to_string(GetCurrentProcessId()) + "." +
                       std::to_string(sequence.fetch_add(1));
    std::string address(url);
    ProgressCallback callback(progress);
    HRESULT result = URLDownloadToFileA(nullptr, address.c_str(), temp.c_str(), 0, &callback);
    std::wstring wide_temp = ToWideString(LocalToWide(temp));
    if (SUCCEEDED(result) &&
        MoveFileExW(wide_temp.c_str(), ToWideString(LocalToWide(target)).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(wide_temp.c_str());
    return false;
  }
};

}  // namespace

Downloader& Downloader::System() {
  static UrlMonDownloader downloader;
  return downloader;
}
