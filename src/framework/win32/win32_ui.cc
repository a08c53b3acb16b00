#include "framework/win32/win32_ui.h"

#include <ole2.h>

#include <algorithm>
#include <vector>

#include "framework/dialog.h"
#include "framework/win32/browser_host_win32.h"
#include "framework/win32/dialog_window_win32.h"
#include "framework/win32/image_win32.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr UINT kRunTasks = WM_APP + 1;
constexpr wchar_t kTaskWindowClass[] = L"VeltraUiTasks";

UINT MessageBoxFlags(const MessageBoxRequest& request) {
  UINT flags = 0;
  switch (request.buttons) {
    case MessageButtons::kOk: flags = MB_OK; break;
    case MessageButtons::kOkCancel: flags = MB_OKCANCEL; break;
    case MessageButtons::kYesNo: flags = MB_YESNO; break;
    case MessageButtons::kYesNoCancel: flags = MB_YESNOCANCEL; break;
    case MessageButtons::kRetryCancel: flags = MB_RETRYCANCEL; break;
  }
  switch (request.icon) {
    case MessageIcon::kNone: break;
    case MessageIcon::kInformation: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::kWarning: flags |= MB_ICONWARNING; break;
    case MessageIcon::kError: flags |= MB_ICONERROR; break;
    case MessageIcon::kQuestion: flags |= MB_ICONQUESTION; break;
  }
  return flags;
}

HWND OwnerHandle(const CDialog* dialog) { return dialog != nullptr ? Win32Ui::HandleOf(*dialog) : nullptr; }

void ReadMenu(HMENU menu, std::vector<MenuItem>& items) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    MenuItem item;
    if (info.fType & MFT_SEPARATOR) {
      items.push_back(MenuItem::Separator());
      continue;
    }
    item.text = FromWide(text, wcslen(text));
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.enabled = (info.fState & MFS_DISABLED) == 0;
    if (info.hSubMenu != nullptr) {
      item.popup = true;
      ReadMenu(info.hSubMenu, item.submenu);
    } else {
      item.id = static_cast<int>(info.wID);
    }
    items.push_back(std::move(item));
  }
}

}  // namespace

Win32Ui::Win32Ui() : dispatcher_([this] { Wake(); }) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS |
                                                     ICC_HOTKEY_CLASS | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  ole_started_ = SUCCEEDED(OleInitialize(nullptr));
  StartGdiPlus();
  BrowserHost::RegisterWindowClass();

  WNDCLASSEXW task_class{};
  task_class.cbSize = sizeof task_class;
  task_class.lpfnWndProc = TaskWindowProc;
  task_class.hInstance = GetModuleHandleW(nullptr);
  task_class.lpszClassName = kTaskWindowClass;
  RegisterClassExW(&task_class);
  task_window_ = CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), this);
}

Win32Ui::~Win32Ui() {
  dispatcher_.Shutdown();
  if (task_window_ != nullptr) DestroyWindow(task_window_);
  if (ole_started_) OleUninitialize();
}

LRESULT CALLBACK Win32Ui::TaskWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kRunTasks) {
    auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (ui != nullptr) {
      ui->wake_pending_ = false;
      ui->dispatcher_.RunPending();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32Ui::Wake() {
  // A posted message reaches the task window in every message loop, the modal ones of
  // dialogs, menus and message boxes included.
  if (!wake_pending_.exchange(true) && task_window_ != nullptr) PostMessageW(task_window_, kRunTasks, 0, 0);
}

HWND Win32Ui::HandleOf(const CDialog& dialog) {
  auto* window = static_cast<Win32DialogWindow*>(dialog.Window());
  return window != nullptr ? window->Handle() : nullptr;
}

std::unique_ptr<DialogWindow> Win32Ui::CreateModeless(CDialog& dialog, int template_id, CDialog* parent) {
  auto window = std::make_unique<Win32DialogWindow>(*this, dialog, false);
  if (!window->CreateModeless(template_id, OwnerHandle(parent))) return nullptr;
  return window;
}

std::unique_ptr<DialogWindow> Win32Ui::CreateChild(CDialog& dialog, int template_id, CDialog& host, int control_id) {
  HWND host_window = HandleOf(host);
  HWND parent = host_window != nullptr ? GetDlgItem(host_window, control_id) : nullptr;
  if (parent == nullptr) return nullptr;
  // The dialog manager's keyboard navigation walks into a child window only through parents
  // that say they hold controls; a tab control does not say so by itself.
  SetWindowLongPtrW(parent, GWL_EXSTYLE, GetWindowLongPtrW(parent, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  auto window = std::make_unique<Win32DialogWindow>(*this, dialog, false);
  if (!window->CreateChild(template_id, parent)) return nullptr;
  return window;
}

int Win32Ui::RunModal(CDialog& dialog, int template_id, CDialog* parent) {
  Win32DialogWindow window(*this, dialog, true);
  return window.RunModal(template_id, OwnerHandle(parent));
}

int Win32Ui::ShowMessageBox(const MessageBoxRequest& request, CDialog* owner) {
  return MessageBoxW(OwnerHandle(owner), ToWideString(request.text).c_str(), ToWideString(request.caption).c_str(),
                     MessageBoxFlags(request));
}

std::optional<MenuModel> Win32Ui::LoadPopupMenu(int menu_id) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menu_id));
  if (menu == nullptr) return std::nullopt;
  std::optional<MenuModel> model;
  HMENU popup = GetSubMenu(menu, 0);
  if (popup != nullptr) {
    wchar_t title[128] = {};
    GetMenuStringW(menu, 0, title, 127, MF_BYPOSITION);
    model.emplace(FromWide(title, wcslen(title)));
    ReadMenu(popup, model->Items());
  }
  DestroyMenu(menu);
  return model;
}

std::u16string Win32Ui::LoadString(int id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text != nullptr ? FromWide(text, static_cast<size_t>(length)) : std::u16string();
}

ImagePtr Win32Ui::LoadImage(std::u16string_view path) { return LoadWin32Image(path); }

bool Win32Ui::IsFontInstalled(std::u16string_view face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wstring name = ToWideString(face.substr(0, LF_FACESIZE - 1));
  wcscpy(wanted.lfFaceName, name.c_str());
  HDC screen = GetDC(nullptr);
  // The enumeration stops at the first font of the face, which the callback's 0 reports.
  int result = EnumFontFamiliesExW(
      screen, &wanted, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM) -> int { return 0; }, 0, 0);
  ReleaseDC(nullptr, screen);
  return result == 0;
}

std::optional<std::u16string> Win32Ui::ChooseFile(const FileDialogRequest& request, CDialog* owner) {
  std::wstring filter = ToWideString(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  std::wstring title = ToWideString(request.title);
  std::wstring extension = ToWideString(request.default_extension);
  std::wstring folder = ToWideString(request.initial_folder);
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring initial = ToWideString(request.file_name);
  std::copy(initial.begin(), initial.begin() + static_cast<std::ptrdiff_t>(std::min(initial.size(), file.size() - 1)),
            file.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerHandle(owner);
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The extension is given without its dot.
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (request.path_must_exist ? OFN_PATHMUSTEXIST : 0);
  if (request.save && request.overwrite_prompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (!request.save && request.file_must_exist) dialog.Flags |= OFN_FILEMUSTEXIST;
  BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return FromWide(file.data(), wcslen(file.data()));
}

std::optional<Color> Win32Ui::ChooseColor(Color initial, CDialog* owner) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerHandle(owner);
  dialog.rgbResult = initial;
  dialog.lpCustColors = custom;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&dialog)) return std::nullopt;
  return static_cast<Color>(dialog.rgbResult);
}

int Win32Ui::RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    bool handled = false;
    const std::vector<HWND> dialogs(modeless_.begin(), modeless_.end());  // a message may close one
    for (HWND dialog : dialogs) {
      if (IsDialogMessageW(dialog, &message)) {
        handled = true;
        break;
      }
    }
    if (!handled) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

void Win32Ui::QuitMessageLoop(int exit_code) { PostQuitMessage(exit_code); }

Rect Win32Ui::ScreenRect() { return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Rect Win32Ui::WorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return ScreenRect();
  return Rect{area.left, area.top, area.right, area.bottom};
}

Color Win32Ui::SystemColorOf(SystemColor which) {
  return GetSysColor(which == SystemColor::kGrayText ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
}
