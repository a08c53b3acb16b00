#include "framework/win32/dialog_window_win32.h"


#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "framework/win32/browser_host_win32.h"
#include "framework/win32/image_win32.h"
#include "framework/win32/win32_ui.h"
#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

std::u16string WindowText(HWND window) {
  if (window == nullptr) return {};
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(window, text.data(), length + 1);
  return FromWide(text.c_str(), static_cast<size_t>(copied > 0 ? copied : 0));
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool IsClass(HWND window, const wchar_t* name) { return lstrcmpiW(ClassOf(window).c_str(), name) == 0; }

// Reports an exception that reached the window procedure, which must not let it through.
void ReportException(const char* where) {
  try {
    throw;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Veltra: exception in %s: %s\n", where, error.what());
  } catch (...) {
    std::fprintf(stderr, "Veltra: exception in %s\n", where);
  }
}

HICON LoadIconResource(int id, bool small) {
  int side = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR | LR_SHARED));
}

void CopyText(wchar_t* target, size_t capacity, std::u16string_view text) {
  size_t count = std::min(capacity - 1, text.size());
  for (size_t i = 0; i < count; ++i) target[i] = static_cast<wchar_t>(text[i]);
  target[count] = L'\0';
}

// The drawing surface of one WM_DRAWITEM.
class Win32DrawTarget : public DrawTarget {
 public:
  Win32DrawTarget(HDC dc, RECT item) : dc_(dc), item_(item) {}
  bool CopyImageBlock(const Image& image, int source_x, int source_y) override {
    int width = item_.right - item_.left, height = item_.bottom - item_.top;
    HBITMAP off_screen = CreateCompatibleBitmap(dc_, width, height);
    HDC memory = off_screen != nullptr ? CreateCompatibleDC(dc_) : nullptr;
    HDC source = memory != nullptr ? CreateCompatibleDC(dc_) : nullptr;
    bool drawn = false;
    if (source != nullptr) {
      HGDIOBJ old_memory = SelectObject(memory, off_screen);
      HGDIOBJ old_source = SelectObject(source, static_cast<const Win32Image&>(image).Bitmap());
      BitBlt(memory, 0, 0, width, height, source, source_x, source_y, SRCCOPY);
      BitBlt(dc_, item_.left, item_.top, width, height, memory, 0, 0, SRCCOPY);
      SelectObject(source, old_source);
      SelectObject(memory, old_memory);
      drawn = true;
    }
    if (source != nullptr) DeleteDC(source);
    if (memory != nullptr) DeleteDC(memory);
    if (off_screen != nullptr) DeleteObject(off_screen);
    return drawn;
  }

 private:
  HDC dc_;
  RECT item_;
};

}  // namespace

// A custom control's window: subclassed so its mouse and keyboard events reach the
// behaviour.
class Win32DialogWindow::Surface : public ControlSurface {
 public:
  Surface(Win32DialogWindow& owner, HWND control, ControlBehaviour& behaviour)
      : owner_(owner), control_(control), behaviour_(behaviour) {}

  bool TrackHoverAndLeave(uint32_t hover_ms) override {
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, control_, hover_ms};
    return TrackMouseEvent(&track) != FALSE;
  }
  void SetHighlight(bool on) override { SendMessageW(control_, BM_SETSTATE, on ? TRUE : FALSE, 0); }
  bool IsHighlighted() override { return (SendMessageW(control_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }
  void Invalidate() override { InvalidateRect(control_, nullptr, TRUE); }
  void MakeOwnerDrawn() override {
    LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
    SetWindowLongPtrW(control_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  }
  void ReportClicks() override {
    SetWindowLongPtrW(control_, GWL_STYLE, GetWindowLongPtrW(control_, GWL_STYLE) | SS_NOTIFY);
  }
  void SetImage(ImagePtr image) override { owner_.SetControlImage(GetDlgCtrlID(control_), std::move(image)); }
  void SetToolTip(std::u16string_view text) override { owner_.AddTool(control_, text); }
  void MoveTo(Rect rect) override { owner_.MoveControl(GetDlgCtrlID(control_), rect); }
  Rect Bounds() override { return owner_.ControlRect(GetDlgCtrlID(control_)); }

  ControlBehaviour& behaviour() { return behaviour_; }

 private:
  Win32DialogWindow& owner_;
  HWND control_;
  ControlBehaviour& behaviour_;
};

Win32DialogWindow::Win32DialogWindow(Win32Ui& ui, CDialog& dialog, bool modal)
    : ui_(ui), dialog_(dialog), modal_(modal), taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {}

Win32DialogWindow::~Win32DialogWindow() {
  if (window_ != nullptr) {
    HWND window = window_;
    DestroyWindow(window);
  }
  if (background_brush_ != nullptr) DeleteObject(background_brush_);
  for (auto& [id, font] : fonts_) DeleteObject(font);
  if (painted_font_ != nullptr) DeleteObject(painted_font_);
}

bool Win32DialogWindow::CreateModeless(int template_id, HWND parent) {
  HWND created = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
  // A dialog destroyed during its initialisation can still come back as a handle (Wine's
  // does): it is not open, and nothing may be done with the handle.
  if (created == nullptr || window_ == nullptr) return false;
  ui_.AddModeless(created);
  return true;
}

bool Win32DialogWindow::CreateChild(int template_id, HWND parent) {
  child_ = true;
  HWND created = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
  return created != nullptr && window_ != nullptr;
}

int Win32DialogWindow::RunModal(int template_id, HWND parent) {
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  return static_cast<int>(result);
}

Win32DialogWindow* Win32DialogWindow::FromHandle(HWND window) {
  return reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32DialogWindow* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Win32DialogWindow*>(lparam);
    self->window_ = window;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = FromHandle(window);
  }
  if (self == nullptr) return FALSE;
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    ReportException("a dialog procedure");
    return FALSE;
  }
}

INT_PTR Win32DialogWindow::Result(LRESULT result) {
  SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR Win32DialogWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return dialog_.HandleInit(*this) ? TRUE : FALSE;
    case WM_COMMAND:
      OnCommandMessage(wparam, lparam);
      return TRUE;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
      return FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lparam != 0) {
        dialog_.HandleControlEvent(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)), ControlEvent::kPositionChanged, {});
      }
      return TRUE;
    case WM_TIMER:
      dialog_.HandleTimer(static_cast<int>(wparam));
      return TRUE;
    case WM_HOTKEY:
      dialog_.HandleHotKey(static_cast<int>(wparam));
      return TRUE;
    case WM_SYSCOMMAND: {
      UINT command = static_cast<UINT>(wparam & 0xFFF0);
      if (command == SC_CLOSE) return dialog_.HandleSysCommand(SysCommand::kClose) ? Result(0) : FALSE;
      if (command == SC_MINIMIZE) return dialog_.HandleSysCommand(SysCommand::kMinimize) ? Result(0) : FALSE;
      if (command == SC_RESTORE) return dialog_.HandleSysCommand(SysCommand::kRestore) ? Result(0) : FALSE;
      return FALSE;
    }
    case WM_LBUTTONDBLCLK:
      dialog_.HandleDoubleClick();
      return TRUE;
    case WM_QUERYENDSESSION:
      return Result(dialog_.HandleQueryEndSession() ? TRUE : FALSE);
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      auto found = surfaces_.find(static_cast<int>(item.CtlID));
      if (found == surfaces_.end()) return FALSE;
      Win32DrawTarget target(item.hDC, item.rcItem);
      found->second->behaviour().OnDraw(
          target, Size{item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top},
          (item.itemState & ODS_SELECTED) != 0);
      return TRUE;
    }
    case WM_ERASEBKGND:
      return PaintBackground(reinterpret_cast<HDC>(wparam)) ? Result(1) : FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_CTLCOLORDLG:
      return background_brush_ != nullptr ? reinterpret_cast<INT_PTR>(background_brush_) : FALSE;
    case WM_NCHITTEST:
      if (look_.drag_by_client_area && DefWindowProcW(window_, message, wparam, lparam) == HTCLIENT) {
        return Result(HTCAPTION);
      }
      return FALSE;
    case WM_SETCURSOR: {
      HWND under = reinterpret_cast<HWND>(wparam);
      if (under != window_ && hand_cursor_controls_.count(GetDlgCtrlID(under))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return Result(TRUE);
      }
      return FALSE;
    }
    case WM_DESTROY:
      RemoveTrayIcon();
      for (int id : std::set<int>(hot_keys_)) UnregisterHotKey(id);
      return FALSE;
    case WM_NCDESTROY:
      OnDestroyed();
      return FALSE;
    default:
      break;
  }
  if (tray_shown_ && message == tray_.callback_message) return OnTrayMessage(wparam, lparam) ? TRUE : FALSE;
  if (message == taskbar_created_ && tray_shown_) {
    tray_shown_ = false;
    AddTrayIcon(tray_);  // the shell restarted: the icon comes back
    return TRUE;
  }
  if (message >= WM_USER && message < 0x8000) {
    return dialog_.HandlePrivateMessage(message, wparam, lparam) ? Result(0) : FALSE;
  }
  return FALSE;
}

void Win32DialogWindow::OnCommandMessage(WPARAM wparam, LPARAM lparam) {
  int id = LOWORD(wparam);
  UINT code = HIWORD(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (control == nullptr || code == BN_CLICKED) {  // menus, accelerators, buttons, clicked pictures
    dialog_.HandleCommand(id);
    return;
  }
  if (code == CBN_SELCHANGE && IsClass(control, L"ComboBox")) {
    dialog_.HandleControlEvent(id, ControlEvent::kSelectionChanged, {});
  } else if (code == EN_CHANGE && IsClass(control, L"Edit")) {
    dialog_.HandleControlEvent(id, ControlEvent::kTextChanged, {});
  } else if (code == LBN_DBLCLK && IsClass(control, L"ListBox")) {
    dialog_.HandleControlEvent(id, ControlEvent::kDoubleClicked, {});
  } else if (code == STN_DBLCLK && IsClass(control, L"Static")) {
    dialog_.HandleControlEvent(id, ControlEvent::kDoubleClicked, {});
  }
}

void Win32DialogWindow::OnNotify(const NMHDR& header) {
  int id = static_cast<int>(header.idFrom);
  HWND control = header.hwndFrom;
  if ((header.code == NM_CLICK || header.code == NM_RETURN) && IsClass(control, WC_LINK)) {
    const auto& link = reinterpret_cast<const NMLINK&>(header);
    dialog_.HandleControlEvent(id, ControlEvent::kLinkClicked, FromWide(link.item.szUrl, wcslen(link.item.szUrl)));
  } else if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0 && change.uOldState != 0) {
      dialog_.HandleControlEvent(id, ControlEvent::kItemChecked, Utf8ToWide(std::to_string(change.iItem)));
    } else if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
      dialog_.HandleControlEvent(id, ControlEvent::kSelectionChanged, {});
    }
  } else if (header.code == TCN_SELCHANGE) {
    dialog_.HandleControlEvent(id, ControlEvent::kTabChanged, {});
  } else if (header.code == NM_DBLCLK) {
    dialog_.HandleControlEvent(id, ControlEvent::kDoubleClicked, {});
  } else if (header.code == NM_RCLICK && IsClass(control, WC_LISTVIEWW)) {
    // The list view selected the row under the cursor (if any) before it notified.
    const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
    dialog_.HandleControlEvent(id, ControlEvent::kRightClicked, Utf8ToWide(std::to_string(click.iItem)));
  }
}

bool Win32DialogWindow::OnTrayMessage(WPARAM wparam, LPARAM lparam) {
  if (static_cast<int>(wparam) != tray_.id) return false;
  TrayEvent event = TrayEvent::kOther;
  switch (LOWORD(lparam)) {
    case WM_LBUTTONDOWN: event = TrayEvent::kLeftButtonDown; break;
    case WM_LBUTTONUP: event = TrayEvent::kLeftButtonUp; break;
    case WM_LBUTTONDBLCLK: event = TrayEvent::kLeftDoubleClick; break;
    case WM_RBUTTONDOWN: event = TrayEvent::kRightButtonDown; break;
    case WM_RBUTTONUP: event = TrayEvent::kRightButtonUp; break;
    case NIN_BALLOONUSERCLICK: event = TrayEvent::kBalloonClicked; break;
    default: break;
  }
  dialog_.HandleTrayEvent(tray_.id, event);
  return true;
}

bool Win32DialogWindow::PaintBackground(HDC dc) {
  if (!look_.background && background_image_ == nullptr && look_.bottom_band_height <= 0 && !look_.frame_color &&
      !painted_text_) {
    return false;
  }
  RECT client;
  GetClientRect(window_, &client);
  FillRect(dc, &client, background_brush_ != nullptr ? background_brush_ : GetSysColorBrush(COLOR_BTNFACE));
  if (background_image_ != nullptr) DrawWin32Image(dc, *background_image_, 0, 0);
  if (look_.bottom_band_height > 0) {
    int top = client.bottom - look_.bottom_band_height;
    HPEN pen = CreatePen(PS_SOLID, 1, look_.bottom_band_line);
    HBRUSH fill = CreateSolidBrush(look_.bottom_band_fill);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, fill);
    MoveToEx(dc, 0, top, nullptr);
    LineTo(dc, client.right, top);
    Rectangle(dc, 0, top, client.right, client.bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(fill);
    DeleteObject(pen);
  }
  if (look_.frame_color) {
    HBRUSH line = CreateSolidBrush(*look_.frame_color);
    FrameRect(dc, &client, line);
    DeleteObject(line);
  }
  DrawPaintedText(dc);
  return true;
}

void Win32DialogWindow::DrawPaintedText(HDC dc) {
  if (!painted_text_) return;
  RECT area{painted_text_->area.left, painted_text_->area.top, painted_text_->area.right, painted_text_->area.bottom};
  HGDIOBJ old_font = painted_font_ != nullptr ? SelectObject(dc, painted_font_) : nullptr;
  int old_mode = SetBkMode(dc, TRANSPARENT);
  COLORREF old_color = SetTextColor(dc, painted_text_->color);
  std::wstring text = ToWideString(painted_text_->text);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, old_color);
  SetBkMode(dc, old_mode);
  if (old_font != nullptr) SelectObject(dc, old_font);
}

void Win32DialogWindow::SetPaintedText(std::optional<PaintedText> text) {
  bool font_changes = !text || !painted_text_ || !(text->font == painted_text_->font);
  if (font_changes && painted_font_ != nullptr) {
    DeleteObject(painted_font_);
    painted_font_ = nullptr;
  }
  if (font_changes && text) {
    painted_font_ = CreateFontW(-text->font.pixel_height, 0, 0, 0, text->font.weight, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                DEFAULT_PITCH, ToWideString(text->font.face).c_str());
  }
  painted_text_ = std::move(text);
  if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
}

INT_PTR Win32DialogWindow::ColorStatic(HDC dc, HWND control) {
  int id = GetDlgCtrlID(control);
  auto color = text_colors_.find(id);
  if (color != text_colors_.end()) {
    SetTextColor(dc, color->second);
  } else if (look_.static_text_color) {
    SetTextColor(dc, *look_.static_text_color);
  }
  if (look_.transparent_static_text) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
  }
  if (background_brush_ != nullptr) {
    SetBkColor(dc, *look_.background);
    return reinterpret_cast<INT_PTR>(background_brush_);
  }
  return color != text_colors_.end() || look_.static_text_color
             ? reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE))
             : FALSE;
}

void Win32DialogWindow::OnDestroyed() {
  if (!modal_ && !child_) ui_.RemoveModeless(window_);
  window_ = nullptr;
  surfaces_.clear();
  tool_tips_ = nullptr;
  dialog_.HandleDestroyed();
}

HWND Win32DialogWindow::Control(int id) const { return window_ != nullptr ? GetDlgItem(window_, id) : nullptr; }

void Win32DialogWindow::SetTitle(std::u16string_view title) {
  if (window_ != nullptr) SetWindowTextW(window_, ToWideString(title).c_str());
}

std::u16string Win32DialogWindow::Title() { return WindowText(window_); }

void Win32DialogWindow::Show(WindowShow how) {
  if (window_ == nullptr) return;
  int command = SW_SHOWNORMAL;
  switch (how) {
    case WindowShow::kHidden: command = SW_HIDE; break;
    case WindowShow::kMinimized: command = SW_MINIMIZE; break;
    case WindowShow::kNoActivate: command = SW_SHOWNOACTIVATE; break;
    case WindowShow::kNormal: break;
  }
  ShowWindow(window_, command);
}

void Win32DialogWindow::ShowPlainly() {
  bool no_activate = (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
  ShowWindow(window_, no_activate ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
}

bool Win32DialogWindow::IsVisible() { return window_ != nullptr && IsWindowVisible(window_); }

bool Win32DialogWindow::IsMinimized() { return window_ != nullptr && IsIconic(window_); }

void Win32DialogWindow::BringToFront() {
  if (window_ == nullptr) return;
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
}

void Win32DialogWindow::SetToolWindow(bool tool) {
  if (window_ == nullptr) return;
  LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  style = tool ? (style | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW : (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW;
  SetWindowLongPtrW(window_, GWL_EXSTYLE, style);
}

void Win32DialogWindow::SetTopMost(bool top_most) {
  if (window_ != nullptr) {
    SetWindowPos(window_, top_most ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void Win32DialogWindow::SetWindowSize(Size size) {
  if (window_ != nullptr) SetWindowPos(window_, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DialogWindow::SetWindowRect(Rect rect) {
  if (window_ != nullptr) {
    SetWindowPos(window_, nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Rect Win32DialogWindow::WindowRect() {
  RECT rect{};
  if (window_ != nullptr) GetWindowRect(window_, &rect);
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

Size Win32DialogWindow::ClientSize() {
  RECT client{};
  if (window_ != nullptr) GetClientRect(window_, &client);
  return Size{client.right, client.bottom};
}

Size Win32DialogWindow::WindowSize() {
  RECT rect{};
  if (window_ != nullptr) GetWindowRect(window_, &rect);
  return Size{rect.right - rect.left, rect.bottom - rect.top};
}

void Win32DialogWindow::PlaceInParent(Rect bounds) {
  if (window_ != nullptr) {
    SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32DialogWindow::SetIcon(int icon_resource) {
  if (window_ == nullptr) return;
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconResource(icon_resource, false)));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconResource(icon_resource, true)));
}

void Win32DialogWindow::SetLook(const DialogLook& look) {
  look_ = look;
  if (background_brush_ != nullptr) DeleteObject(background_brush_);
  background_brush_ = look_.background ? CreateSolidBrush(*look_.background) : nullptr;
  background_image_ = look_.background_image.empty() ? nullptr : LoadWin32Image(look_.background_image);
  if (window_ == nullptr) return;
  LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  if (look_.opacity) {
    SetWindowLongPtrW(window_, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window_, 0, *look_.opacity, LWA_ALPHA);
  } else if (style & WS_EX_LAYERED) {
    SetWindowLongPtrW(window_, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32DialogWindow::AnimateShow(ShowAnimation animation, int duration_ms) {
  if (window_ == nullptr) return;
  DWORD flags = 0;
  switch (animation) {
    case ShowAnimation::kNone: break;
    case ShowAnimation::kFade: flags = AW_BLEND; break;
    case ShowAnimation::kGrow: flags = AW_CENTER; break;
    case ShowAnimation::kSlideFromLeft: flags = AW_SLIDE | AW_HOR_POSITIVE; break;
    case ShowAnimation::kSlideFromRight: flags = AW_SLIDE | AW_HOR_NEGATIVE; break;
    case ShowAnimation::kSlideFromTop: flags = AW_SLIDE | AW_VER_POSITIVE; break;
    case ShowAnimation::kSlideFromBottom: flags = AW_SLIDE | AW_VER_NEGATIVE; break;
  }
  if (flags == 0 || IsWindowVisible(window_) || !AnimateWindow(window_, static_cast<DWORD>(duration_ms), flags)) {
    ShowPlainly();
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32DialogWindow::AnimateHide(HideAnimation animation, int duration_ms) {
  if (window_ == nullptr || !IsWindowVisible(window_)) return;
  DWORD flags = animation == HideAnimation::kFade        ? AW_HIDE | AW_BLEND
                : animation == HideAnimation::kSlideDown ? AW_HIDE | AW_SLIDE | AW_VER_POSITIVE
                                                         : 0;
  if (flags == 0 || !AnimateWindow(window_, static_cast<DWORD>(duration_ms), flags)) ShowWindow(window_, SW_HIDE);
}

void Win32DialogWindow::PostSysCommand(SysCommand command) {
  if (window_ == nullptr) return;
  WPARAM code = command == SysCommand::kClose ? SC_CLOSE : command == SysCommand::kMinimize ? SC_MINIMIZE : SC_RESTORE;
  PostMessageW(window_, WM_SYSCOMMAND, code, 0);
}

void Win32DialogWindow::End(int result) {
  if (window_ == nullptr) return;
  if (modal_) {
    EndDialog(window_, result);
  } else {
    DestroyWindow(window_);
  }
}

void Win32DialogWindow::SetTimer(int id, uint32_t period_ms) {
  if (window_ != nullptr) ::SetTimer(window_, static_cast<UINT_PTR>(id), period_ms, nullptr);
}

void Win32DialogWindow::KillTimer(int id) {
  if (window_ != nullptr) ::KillTimer(window_, static_cast<UINT_PTR>(id));
}

void Win32DialogWindow::SetText(int id, std::u16string_view text) {
  HWND control = Control(id);
  if (control == nullptr) return;
  SetWindowTextW(control, ToWideString(text).c_str());
  if (look_.transparent_static_text) {  // what showed through the old text is painted again
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(window_, &rect, TRUE);
  }
}

std::u16string Win32DialogWindow::Text(int id) { return WindowText(Control(id)); }

void Win32DialogWindow::SetTextLimit(int id, int units) {
  if (HWND control = Control(id)) SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(units), 0);
}

void Win32DialogWindow::SetPasswordChar(int id, char16_t mask) {
  if (HWND control = Control(id)) {
    SendMessageW(control, EM_SETPASSWORDCHAR, static_cast<WPARAM>(mask), 0);
    InvalidateRect(control, nullptr, TRUE);
  }
}

void Win32DialogWindow::SetCheck(int id, CheckState state) {
  if (HWND control = Control(id)) SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

CheckState Win32DialogWindow::Check(int id) {
  HWND control = Control(id);
  if (control == nullptr) return CheckState::kUnchecked;
  LRESULT state = SendMessageW(control, BM_GETCHECK, 0, 0);
  return state == BST_CHECKED ? CheckState::kChecked
         : state == BST_INDETERMINATE ? CheckState::kIndeterminate
                                      : CheckState::kUnchecked;
}

void Win32DialogWindow::Enable(int id, bool enabled) {
  if (HWND control = Control(id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

bool Win32DialogWindow::IsEnabled(int id) {
  HWND control = Control(id);
  return control != nullptr && IsWindowEnabled(control);
}

void Win32DialogWindow::ShowControl(int id, bool shown) {
  if (HWND control = Control(id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

bool Win32DialogWindow::IsControlVisible(int id) {
  HWND control = Control(id);
  return control != nullptr && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32DialogWindow::MoveControl(int id, Rect rect) {
  if (HWND control = Control(id)) {
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Rect Win32DialogWindow::ControlRect(int id) {
  HWND control = Control(id);
  if (control == nullptr) return {};
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void Win32DialogWindow::BringControlToTop(int id) {
  if (HWND control = Control(id)) SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32DialogWindow::Focus(int id) {
  if (HWND control = Control(id)) SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Win32DialogWindow::SetControlFont(int id, const FontStyle& font) {
  HWND control = Control(id);
  if (control == nullptr) return;
  HFONT created = CreateFontW(-font.pixel_height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                              ToWideString(font.face).c_str());
  if (created == nullptr) return;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  auto& slot = fonts_[id];
  if (slot != nullptr) DeleteObject(slot);
  slot = created;
}

void Win32DialogWindow::SetControlTextColor(int id, Color color) {
  text_colors_[id] = color;
  if (HWND control = Control(id)) InvalidateRect(control, nullptr, TRUE);
}

void Win32DialogWindow::SetHandCursor(int id) { hand_cursor_controls_.insert(id); }

HWND Win32DialogWindow::ToolTips() {
  if (tool_tips_ == nullptr && window_ != nullptr) {
    tool_tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (tool_tips_ != nullptr) SendMessageW(tool_tips_, TTM_ACTIVATE, TRUE, 0);
  }
  return tool_tips_;
}

void Win32DialogWindow::AddTool(HWND control, std::u16string_view text) {
  HWND tips = ToolTips();
  if (tips == nullptr || control == nullptr) return;
  std::wstring wide = ToWideString(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32DialogWindow::SetToolTip(int id, std::u16string_view text) { AddTool(Control(id), text); }

void Win32DialogWindow::SetControlImage(int id, ImagePtr image) {
  HWND control = Control(id);
  if (control == nullptr) return;
  HBITMAP bitmap = image != nullptr ? static_cast<const Win32Image&>(*image).Bitmap() : nullptr;
  HBITMAP previous = reinterpret_cast<HBITMAP>(
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  // A control that copied an earlier picture returns its copy, which is ours to free.
  auto held = control_images_.find(control);
  HBITMAP ours = held != control_images_.end() && held->second != nullptr
                     ? static_cast<const Win32Image&>(*held->second).Bitmap()
                     : nullptr;
  if (previous != nullptr && previous != ours) DeleteObject(previous);
  if (image != nullptr) {  // a picture control takes its picture's size, as the system's own does
    Size size = image->GetSize();
    SetWindowPos(control, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  control_images_[control] = std::move(image);
}

int Win32DialogWindow::ComboAdd(int id, std::u16string_view text, intptr_t data) {
  HWND control = Control(id);
  if (control == nullptr) return -1;
  std::wstring wide = ToWideString(text);
  auto index = SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (index >= 0) SendMessageW(control, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
  return static_cast<int>(index);
}

void Win32DialogWindow::ComboClear(int id) {
  if (HWND control = Control(id)) SendMessageW(control, CB_RESETCONTENT, 0, 0);
}

int Win32DialogWindow::ComboCount(int id) {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0)) : 0;
}

std::u16string Win32DialogWindow::ComboText(int id, int index) {
  HWND control = Control(id);
  if (control == nullptr) return {};
  auto length = SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return FromWide(text.c_str(), static_cast<size_t>(length));
}

intptr_t Win32DialogWindow::ComboData(int id, int index) {
  HWND control = Control(id);
  return control ? static_cast<intptr_t>(SendMessageW(control, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)) : 0;
}

void Win32DialogWindow::ComboSelect(int id, int index) {
  if (HWND control = Control(id)) SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32DialogWindow::ComboSelection(int id) {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)) : -1;
}

void Win32DialogWindow::ListSetStyle(int id, bool check_boxes, bool grid_lines, bool full_row_select) {
  HWND control = Control(id);
  if (control == nullptr) return;
  DWORD style = (check_boxes ? LVS_EX_CHECKBOXES : 0) | (grid_lines ? LVS_EX_GRIDLINES : 0) |
                (full_row_select ? LVS_EX_FULLROWSELECT : 0);
  SendMessageW(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, style);
}

void Win32DialogWindow::ListAddColumn(int id, std::u16string_view title, int width) {
  HWND control = Control(id);
  if (control == nullptr) return;
  std::wstring wide = ToWideString(title);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = wide.data();
  column.cx = width;
  HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
  int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  SendMessageW(control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column));
}

void Win32DialogWindow::ListSetColumnTitle(int id, int column, std::u16string_view title) {
  HWND control = Control(id);
  if (control == nullptr) return;
  std::wstring wide = ToWideString(title);
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT;
  entry.pszText = wide.data();
  SendMessageW(control, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
}

int Win32DialogWindow::ListInsert(int id, int index, std::u16string_view text) {
  HWND control = Control(id);
  if (control == nullptr) return -1;
  std::wstring wide = ToWideString(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index < 0 ? ListCount(id) : index;
  item.pszText = wide.data();
  return static_cast<int>(SendMessageW(control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32DialogWindow::ListSetText(int id, int item, int column, std::u16string_view text) {
  HWND control = Control(id);
  if (control == nullptr) return;
  std::wstring wide = ToWideString(text);
  LVITEMW entry{};
  entry.iSubItem = column;
  entry.pszText = wide.data();
  SendMessageW(control, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
}

std::u16string Win32DialogWindow::ListText(int id, int item, int column) {
  HWND control = Control(id);
  if (control == nullptr) return {};
  std::wstring buffer(1024, L'\0');
  LVITEMW entry{};
  entry.iSubItem = column;
  entry.pszText = buffer.data();
  entry.cchTextMax = static_cast<int>(buffer.size());
  auto length = SendMessageW(control, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
  return FromWide(buffer.c_str(), static_cast<size_t>(length));
}

int Win32DialogWindow::ListCount(int id) {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void Win32DialogWindow::ListDelete(int id, int item) {
  if (HWND control = Control(id)) SendMessageW(control, LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
}

void Win32DialogWindow::ListClear(int id) {
  if (HWND control = Control(id)) SendMessageW(control, LVM_DELETEALLITEMS, 0, 0);
}

void Win32DialogWindow::ListSetChecked(int id, int item, bool checked) {
  HWND control = Control(id);
  if (control == nullptr) return;
  LVITEMW entry{};
  entry.stateMask = LVIS_STATEIMAGEMASK;
  entry.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
}

bool Win32DialogWindow::ListChecked(int id, int item) {
  HWND control = Control(id);
  if (control == nullptr) return false;
  auto state = SendMessageW(control, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Win32DialogWindow::ListSelect(int id, int item) {
  ListSetSelected(id, -1, false);  // item -1 changes every row
  if (item >= 0) ListSetSelected(id, item, true);
}

void Win32DialogWindow::ListSetSelected(int id, int item, bool selected) {
  HWND control = Control(id);
  if (control == nullptr) return;
  LVITEMW entry{};
  entry.stateMask = LVIS_SELECTED | (selected ? LVIS_FOCUSED : 0);
  entry.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
}

std::vector<int> Win32DialogWindow::ListSelectedItems(int id) {
  std::vector<int> selected;
  HWND control = Control(id);
  if (control == nullptr) return selected;
  int item = -1;
  while ((item = static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) >= 0) {
    selected.push_back(item);
  }
  return selected;
}

void Win32DialogWindow::ListSetRedraw(int id, bool redraw) {
  HWND control = Control(id);
  if (control == nullptr) return;
  SendMessageW(control, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  if (redraw) InvalidateRect(control, nullptr, TRUE);
}

int Win32DialogWindow::ListSelection(int id) {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

int Win32DialogWindow::ListBoxInsert(int id, int index, std::u16string_view text) {
  HWND control = Control(id);
  if (control == nullptr) return -1;
  std::wstring wide = ToWideString(text);
  LRESULT at = SendMessageW(control, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
  return at < 0 ? -1 : static_cast<int>(at);
}

void Win32DialogWindow::ListBoxDelete(int id, int index) {
  if (HWND control = Control(id)) SendMessageW(control, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int Win32DialogWindow::ListBoxCount(int id) {
  HWND control = Control(id);
  LRESULT count = control != nullptr ? SendMessageW(control, LB_GETCOUNT, 0, 0) : 0;
  return count < 0 ? 0 : static_cast<int>(count);
}

std::u16string Win32DialogWindow::ListBoxText(int id, int index) {
  HWND control = Control(id);
  if (control == nullptr) return {};
  LRESULT length = SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return copied < 0 ? std::u16string() : FromWide(text.c_str(), static_cast<size_t>(copied));
}

int Win32DialogWindow::ListBoxSelection(int id) {
  HWND control = Control(id);
  LRESULT selection = control != nullptr ? SendMessageW(control, LB_GETCURSEL, 0, 0) : LB_ERR;
  return selection < 0 ? -1 : static_cast<int>(selection);
}

int Win32DialogWindow::TabAdd(int id, std::u16string_view title) {
  HWND control = Control(id);
  if (control == nullptr) return -1;
  std::wstring wide = ToWideString(title);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = wide.data();
  int count = static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
  return static_cast<int>(SendMessageW(control, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item)));
}

void Win32DialogWindow::TabSelect(int id, int index) {
  if (HWND control = Control(id)) SendMessageW(control, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32DialogWindow::TabSelection(int id) {
  HWND control = Control(id);
  return control ? static_cast<int>(SendMessageW(control, TCM_GETCURSEL, 0, 0)) : -1;
}

void Win32DialogWindow::SetRange(int id, int minimum, int maximum) {
  HWND control = Control(id);
  if (control == nullptr) return;
  if (IsClass(control, UPDOWN_CLASSW)) {
    SendMessageW(control, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  } else if (IsClass(control, PROGRESS_CLASSW)) {
    SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  } else {
    SendMessageW(control, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(control, TBM_SETRANGEMAX, TRUE, maximum);
  }
}

void Win32DialogWindow::SetPosition(int id, int position) {
  HWND control = Control(id);
  if (control == nullptr) return;
  if (IsClass(control, UPDOWN_CLASSW)) {
    SendMessageW(control, UDM_SETPOS32, 0, position);
  } else if (IsClass(control, PROGRESS_CLASSW)) {
    SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  } else {
    SendMessageW(control, TBM_SETPOS, TRUE, position);
  }
}

int Win32DialogWindow::Position(int id) {
  HWND control = Control(id);
  if (control == nullptr) return 0;
  if (IsClass(control, UPDOWN_CLASSW)) return static_cast<int>(SendMessageW(control, UDM_GETPOS32, 0, 0));
  if (IsClass(control, PROGRESS_CLASSW)) return static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0));
  return static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
}

void Win32DialogWindow::SetHotKeyValue(int id, uint16_t value) {
  if (HWND control = Control(id)) SendMessageW(control, HKM_SETHOTKEY, value, 0);
}

uint16_t Win32DialogWindow::HotKeyValue(int id) {
  HWND control = Control(id);
  return control ? static_cast<uint16_t>(SendMessageW(control, HKM_GETHOTKEY, 0, 0)) : 0;
}

LRESULT CALLBACK Win32DialogWindow::ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                                DWORD_PTR data) {
  auto* surface = reinterpret_cast<Surface*>(data);
  try {
    switch (message) {
      case WM_MOUSEMOVE: surface->behaviour().OnMouseMove(); break;
      case WM_MOUSEHOVER: surface->behaviour().OnMouseHover(); break;
      case WM_MOUSELEAVE: surface->behaviour().OnMouseLeave(); break;
      case WM_LBUTTONDOWN: surface->behaviour().OnLeftButtonDown(); break;
      case WM_LBUTTONUP: surface->behaviour().OnLeftButtonUp(); break;
      case WM_CHAR:
        if (!surface->behaviour().OnChar(static_cast<char16_t>(wparam), GetKeyState(VK_CONTROL) < 0)) return 0;
        break;
      case WM_NCDESTROY: RemoveWindowSubclass(control, ControlProc, id); break;
      default: break;
    }
  } catch (...) {
    ReportException("a control procedure");
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

ControlSurface* Win32DialogWindow::AttachBehaviour(int id, ControlBehaviour& behaviour) {
  HWND control = Control(id);
  if (control == nullptr) return nullptr;
  auto surface = std::make_unique<Surface>(*this, control, behaviour);
  Surface* raw = surface.get();
  surfaces_[id] = std::move(surface);
  SetWindowSubclass(control, ControlProc, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(raw));
  behaviour.Attached(*raw);
  return raw;
}

BrowserPane* Win32DialogWindow::AttachBrowser(int id, BrowserEvents& events) {
  BrowserHost* host = BrowserHost::FromWindow(Control(id));
  if (host == nullptr) return nullptr;
  host->SetEvents(&events);
  return host;
}

bool Win32DialogWindow::AddTrayIcon(const TrayIconSettings& settings) {
  if (window_ == nullptr) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = static_cast<UINT>(settings.id);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = settings.callback_message;
  data.hIcon = LoadIconResource(settings.icon_resource, true);
  CopyText(data.szTip, std::size(data.szTip), settings.tip);
  tray_ = settings;
  tray_shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return tray_shown_;
}

void Win32DialogWindow::SetTrayIcon(int icon_resource) {
  tray_.icon_resource = icon_resource;
  if (!tray_shown_ || window_ == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = static_cast<UINT>(tray_.id);
  data.uFlags = NIF_ICON;
  data.hIcon = LoadIconResource(icon_resource, true);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32DialogWindow::ShowTrayBalloon(std::u16string_view title, std::u16string_view text) {
  if (!tray_shown_ || window_ == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = static_cast<UINT>(tray_.id);
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  CopyText(data.szInfoTitle, std::size(data.szInfoTitle), title);
  CopyText(data.szInfo, std::size(data.szInfo), text);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32DialogWindow::RemoveTrayIcon() {
  if (!tray_shown_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = static_cast<UINT>(tray_.id);
  Shell_NotifyIconW(NIM_DELETE, &data);
  tray_shown_ = false;
}

bool Win32DialogWindow::RegisterHotKey(int id, uint32_t modifiers, uint32_t virtual_key) {
  if (window_ == nullptr || !::RegisterHotKey(window_, id, modifiers, virtual_key)) return false;
  hot_keys_.insert(id);
  return true;
}

void Win32DialogWindow::UnregisterHotKey(int id) {
  if (window_ != nullptr && hot_keys_.erase(id) > 0) ::UnregisterHotKey(window_, id);
}

namespace {

HMENU BuildMenu(const std::vector<MenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : items) {
    if (item.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (item.popup) {
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(BuildMenu(item.submenu)),
                  ToWideString(item.text).c_str());
    } else {
      UINT flags = MF_STRING | (item.checked ? MF_CHECKED : 0) | (item.enabled ? 0 : MF_GRAYED);
      AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.id), ToWideString(item.text).c_str());
    }
  }
  return menu;
}

}  // namespace

int Win32DialogWindow::TrackPopupMenu(const MenuModel& menu) {
  if (window_ == nullptr) return 0;
  HMENU popup = BuildMenu(menu.Items());
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(window_);  // so the menu closes when the user clicks elsewhere
  int command = ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, cursor.x, cursor.y, 0,
                                 window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(popup);
  return command;
}
