#include "framework/win32/browser_host_win32.h"

#include <exdispid.h>
#include <mshtml.h>

#include <string>

#include "framework/browser_rules.h"
#include "platform/win32/wide_text.h"

namespace {

// The interfaces by their identifiers, as the system defines them.
const IID kIidWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
const IID kIidCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
const IID kIidWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
const IID kIidDocHostUiHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
const IID kIidHtmlDocument3 = {0x3050F485, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
constexpr wchar_t kClassName[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

template <typename T>
void ReleaseAndClear(T*& pointer) {
  if (pointer != nullptr) pointer->Release();
  pointer = nullptr;
}

std::u16string VariantText(const VARIANT& value) {
  const VARIANT* inner = (value.vt == (VT_BYREF | VT_VARIANT)) ? value.pvarVal : &value;
  if (inner == nullptr) return {};
  BSTR text = inner->vt == VT_BSTR ? inner->bstrVal : inner->vt == (VT_BYREF | VT_BSTR) ? *inner->pbstrVal : nullptr;
  return text != nullptr ? FromWide(text, SysStringLen(text)) : std::u16string();
}

}  // namespace

void BrowserHost::RegisterWindowClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);
}

BrowserHost* BrowserHost::FromWindow(HWND window) {
  if (window == nullptr) return nullptr;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpiW(name, kClassName) != 0) return nullptr;
  return reinterpret_cast<BrowserHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK BrowserHost::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* host = reinterpret_cast<BrowserHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      host = new BrowserHost(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
      break;
    case WM_CREATE:
      if (host != nullptr) host->Create();
      return 0;
    case WM_SIZE:
      if (host != nullptr) host->Resize();
      return 0;
    case WM_DESTROY:
      if (host != nullptr) host->Destroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete host;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void BrowserHost::Create() {
  CLSID class_id;
  if (FAILED(CLSIDFromString(kClassName, &class_id))) return;
  if (FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_)))) {
    object_ = nullptr;
    return;
  }
  object_->SetClientSite(static_cast<IOleClientSite*>(this));
  OleSetContainedObject(object_, TRUE);
  RECT client;
  GetClientRect(window_, &client);
  object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, window_, &client);
  if (FAILED(object_->QueryInterface(kIidWebBrowser2, reinterpret_cast<void**>(&browser_)))) browser_ = nullptr;
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
    if (SUCCEEDED(points->FindConnectionPoint(kIidWebBrowserEvents2, &events_point_))) {
      if (FAILED(events_point_->Advise(static_cast<IDispatch*>(this), &events_cookie_))) ReleaseAndClear(events_point_);
    } else {
      events_point_ = nullptr;
    }
    points->Release();
  }
}

void BrowserHost::Resize() {
  if (object_ == nullptr) return;
  IOleInPlaceObject* in_place = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&in_place)))) {
    RECT client;
    GetClientRect(window_, &client);
    in_place->SetObjectRects(&client, &client);
    in_place->Release();
  }
}

void BrowserHost::Destroy() {
  events_ = nullptr;
  if (events_point_ != nullptr) {
    events_point_->Unadvise(events_cookie_);
    ReleaseAndClear(events_point_);
  }
  ReleaseAndClear(last_document_owner_);
  ReleaseAndClear(browser_);
  if (object_ != nullptr) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    ReleaseAndClear(object_);
  }
}

bool BrowserHost::Navigate(std::u16string_view url) {
  if (browser_ == nullptr) return false;
  std::wstring wide = ToWideString(url);
  BSTR address = SysAllocString(wide.c_str());
  VARIANT empty;
  VariantInit(&empty);
  HRESULT result = browser_->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  return SUCCEEDED(result);
}

bool BrowserHost::InstallUiHandler() {
  if (last_document_owner_ == nullptr) return false;
  IWebBrowser2* browser = nullptr;
  IDispatch* document = nullptr;
  ICustomDoc* custom = nullptr;
  bool installed = false;
  if (SUCCEEDED(last_document_owner_->QueryInterface(kIidWebBrowser2, reinterpret_cast<void**>(&browser))) &&
      SUCCEEDED(browser->get_Document(&document)) && document != nullptr &&
      SUCCEEDED(document->QueryInterface(kIidCustomDoc, reinterpret_cast<void**>(&custom)))) {
    installed = SUCCEEDED(custom->SetUIHandler(&ui_handler_));
  }
  if (custom != nullptr) custom->Release();
  if (document != nullptr) document->Release();
  if (browser != nullptr) browser->Release();
  return installed;
}

bool BrowserHost::ReportClicksOn(std::u16string_view element_id) {
  if (browser_ == nullptr) return false;
  IDispatch* document = nullptr;
  IHTMLDocument3* html = nullptr;
  IHTMLElement* element = nullptr;
  bool reported = false;
  std::wstring wide = ToWideString(element_id);
  BSTR id = SysAllocString(wide.c_str());
  if (SUCCEEDED(browser_->get_Document(&document)) && document != nullptr &&
      SUCCEEDED(document->QueryInterface(kIidHtmlDocument3, reinterpret_cast<void**>(&html))) &&
      SUCCEEDED(html->getElementById(id, &element)) && element != nullptr) {
    click_sinks_.push_back(std::make_unique<ClickSink>(*this, std::u16string(element_id)));
    VARIANT handler;
    VariantInit(&handler);
    handler.vt = VT_DISPATCH;
    handler.pdispVal = click_sinks_.back().get();
    reported = SUCCEEDED(element->put_onclick(handler));
  }
  SysFreeString(id);
  if (element != nullptr) element->Release();
  if (html != nullptr) html->Release();
  if (document != nullptr) document->Release();
  return reported;
}

STDMETHODIMP BrowserHost::ClickSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserHost::ClickSink::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

STDMETHODIMP BrowserHost::ClickSink::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  // The host may be going: its events are cleared before the document goes.
  if (host_.events_ != nullptr) host_.events_->OnElementClicked(element_id_);
  return S_OK;
}

STDMETHODIMP BrowserHost::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IDispatch || iid == kIidWebBrowserEvents2) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == kIidDocHostUiHandler) {
    *object = static_cast<IDocHostUIHandler*>(&ui_handler_);
  } else {
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(*object)->AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BrowserHost::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) BrowserHost::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

STDMETHODIMP BrowserHost::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserHost::GetWindow(HWND* window) {
  if (window == nullptr) return E_INVALIDARG;
  *window = window_;
  return S_OK;
}

STDMETHODIMP BrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame != nullptr) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  if (document != nullptr) *document = nullptr;
  if (position != nullptr) GetClientRect(window_, position);
  if (clip != nullptr) GetClientRect(window_, clip);
  if (info != nullptr) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP BrowserHost::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

STDMETHODIMP BrowserHost::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*) {
  if (parameters == nullptr || events_ == nullptr) return S_OK;
  VARIANTARG* arguments = parameters->rgvarg;  // in reverse order
  switch (id) {
    case DISPID_NAVIGATECOMPLETE2:
      if (parameters->cArgs >= 2) {
        ReleaseAndClear(last_document_owner_);
        if (arguments[1].vt == VT_DISPATCH && arguments[1].pdispVal != nullptr) {
          last_document_owner_ = arguments[1].pdispVal;
          last_document_owner_->AddRef();
        }
        events_->OnNavigateComplete(VariantText(arguments[0]));
      }
      break;
    case DISPID_NEWWINDOW3:
      if (parameters->cArgs >= 5 && arguments[3].vt == (VT_BYREF | VT_BOOL) && events_->OnNewWindow(VariantText(arguments[0]))) {
        *arguments[3].pboolVal = VARIANT_TRUE;
      }
      break;
    case DISPID_DOCUMENTCOMPLETE:
      if (parameters->cArgs >= 2) events_->OnDocumentComplete(VariantText(arguments[0]));
      break;
    default:
      break;
  }
  return S_OK;
}

STDMETHODIMP BrowserHost::UiHandler::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == kIidDocHostUiHandler) {
    *object = static_cast<IDocHostUIHandler*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserHost::UiHandler::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) return E_INVALIDARG;
  info->cbSize = sizeof(DOCHOSTUIINFO);
  info->dwFlags |= kBrowserHostFlags;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

STDMETHODIMP BrowserHost::UiHandler::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  if (message == nullptr) return S_FALSE;
  bool key_down = message->message == WM_KEYDOWN;
  bool control_down = GetKeyState(VK_CONTROL) < 0;
  return BrowserSwallowsAccelerator(key_down, control_down, static_cast<uint32_t>(message->wParam)) ? S_OK : S_FALSE;
}

STDMETHODIMP BrowserHost::UiHandler::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key != nullptr) *key = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserHost::UiHandler::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserHost::UiHandler::GetExternal(IDispatch** external) {
  if (external != nullptr) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserHost::UiHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated != nullptr) *translated = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserHost::UiHandler::FilterDataObject(IDataObject*, IDataObject** result) {
  if (result != nullptr) *result = nullptr;
  return S_FALSE;
}
