#include "platform/downloader.h"

#include <windows.h>
#include <urlmon.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

// Hands urlmon's progress reports to the caller's callback and keeps the HTTP status of
// the response (urlmon may save an error page as if it were the file); every other
// notification is left to urlmon's defaults.
class ProgressCallback : public IBindStatusCallback, public IHttpNegotiate {
 public:
  explicit ProgressCallback(const Downloader::Progress& progress) : progress_(progress) {}

  // The last HTTP status seen; 0 when none was reported.
  DWORD Status() const { return status_; }
  // The size the server announced for the body; 0 when unknown.
  ULONG AnnouncedSize() const { return announced_size_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    if (IsEqualIID(id, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
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
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progress_max, ULONG status, LPCWSTR) override {
    if (status == BINDSTATUS_BEGINDOWNLOADDATA || status == BINDSTATUS_DOWNLOADINGDATA ||
        status == BINDSTATUS_ENDDOWNLOADDATA) {
      announced_size_ = std::max<ULONG>(announced_size_, progress_max);
    }
    if (progress_) progress_(progress, progress_max);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional_headers) override {
    if (additional_headers != nullptr) *additional_headers = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additional_headers) override {
    if (additional_headers != nullptr) *additional_headers = nullptr;
    status_ = status;
    return S_OK;
  }

 private:
  const Downloader::Progress& progress_;
  std::atomic<ULONG> references_{1};
  DWORD status_ = 0;
  ULONG announced_size_ = 0;
};

// The size of a file in bytes; -1 when it cannot be read.
int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

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
    // urlmon reports success for an error page and for a body cut short of its announced
    // length; neither is the file that was asked for.
    bool error_status = callback.Status() != 0 && (callback.Status() < 200 || callback.Status() >= 300);
    bool cut_short = SUCCEEDED(result) && callback.AnnouncedSize() != 0 &&
                     FileSize(wide_temp) != static_cast<int64_t>(callback.AnnouncedSize());
    if (SUCCEEDED(result) && !error_status && !cut_short &&
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
