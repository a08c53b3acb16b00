#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/browser_rules.h"
#include "framework/control_behaviour.h"
#include "framework/dialog_window.h"

// The host of the system web-browser control that the program's HTML panes use (control
// 1006 in the templates). Navigation goes to the pane; the pane's events come back here:
// each finished navigation hands the document this host's callbacks (no context menu, no
// border, no scroll bars, no open-file, print or new-window keys), and a page asking for a
// new window is sent to the user's default browser instead. Without a browser engine the
// pane stays empty and nothing else fails. User-interface thread only.
class CExplorer1 : public BrowserEvents {
 public:
  // The browser control's class identifier; templates name it as the control's class.
  static constexpr std::u16string_view kClassId = u"{8856F961-340A-11D0-A96B-00C04FD705A2}";

  // What a host wires for its control.
  struct Wiring {
    bool install_handler_on_navigate = true;  // NavigateComplete2: install the callbacks
    bool redirect_new_windows = true;         // NewWindow3: the default browser instead
  };

  // Attaches to control `id` of the host's open window; false when there is none.
  bool Attach(DialogWindow& window, int id, Wiring wiring);
  // Starts loading `url`; false when not attached or the pane cannot navigate.
  bool Navigate(std::u16string_view url);
  // The host's own work after each finished navigation (after the callbacks are installed).
  void SetNavigateCompleteHook(std::function<void(std::u16string_view url)> hook) { hook_ = std::move(hook); }
  // Once each document has loaded, clicks on its elements with the identifiers `element_ids`
  // go to `on_click` with the identifier.
  void SetElementClickHandler(std::vector<std::u16string> element_ids,
                              std::function<void(std::u16string_view element_id)> on_click) {
    clicked_ids_ = std::move(element_ids);
    on_click_ = std::move(on_click);
  }

  bool IsAttached() const { return pane_ != nullptr; }

  void OnNavigateComplete(std::u16string_view url) override;
  bool OnNewWindow(std::u16string_view url) override;
  void OnDocumentComplete(std::u16string_view url) override;
  void OnElementClicked(std::u16string_view element_id) override;

  // The keyboard rule of the callbacks: a key-down with Control held and O, P or N is
  // swallowed; every other key goes to the engine.
  static bool SwallowsAccelerator(bool key_down, bool control_down, uint32_t virtual_key) {
    return BrowserSwallowsAccelerator(key_down, control_down, virtual_key);
  }

 private:
  BrowserPane* pane_ = nullptr;
  Wiring wiring_;
  std::function<void(std::u16string_view)> hook_;
  std::vector<std::u16string> clicked_ids_;
  std::function<void(std::u16string_view)> on_click_;
};
