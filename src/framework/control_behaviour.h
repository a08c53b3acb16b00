#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/image.h"
#include "framework/ui_types.h"

// What a custom control may ask of its window (one surface per attached control). The win32
// backend subclasses the control's window; the headless backend records the requests.
class ControlSurface {
 public:
  virtual ~ControlSurface() = default;

  // Asks for one hover notification after `hover_ms` of rest and one leave notification.
  // Returns whether the request was accepted.
  virtual bool TrackHoverAndLeave(uint32_t hover_ms) = 0;
  // The button's highlight state (drawn as "selected").
  virtual void SetHighlight(bool on) = 0;
  virtual bool IsHighlighted() = 0;
  // Redraws the whole control, background included.
  virtual void Invalidate() = 0;
  // Makes a button owner-drawn: the window asks the behaviour to draw it.
  virtual void MakeOwnerDrawn() = 0;
  // Makes a static control report clicks to its dialog as commands.
  virtual void ReportClicks() = 0;
  // A static control's picture; nullptr shows none. The control keeps `image` alive.
  virtual void SetImage(ImagePtr image) = 0;
  // Creates the control's tool tip (once) and sets its text.
  virtual void SetToolTip(std::u16string_view text) = 0;
  virtual void MoveTo(Rect rect) = 0;
  virtual Rect Bounds() = 0;
};

// The drawing surface of one owner-draw request.
class DrawTarget {
 public:
  virtual ~DrawTarget() = default;
  // Copies the block of `image` that starts at (source_x, source_y) and is as large as the
  // item onto the item at (0, 0), through an off-screen surface. Returns false (nothing
  // drawn) when the off-screen surface cannot be made.
  virtual bool CopyImageBlock(const Image& image, int source_x, int source_y) = 0;
};

// The behaviour of a custom control: the window routes the control's mouse, keyboard and
// drawing events here, on the user-interface thread.
class ControlBehaviour {
 public:
  virtual ~ControlBehaviour() = default;

  // Called once when attached, before any event.
  virtual void Attached(ControlSurface& surface) {}
  virtual void OnMouseMove() {}
  virtual void OnMouseHover() {}
  virtual void OnMouseLeave() {}
  virtual void OnLeftButtonDown() {}
  virtual void OnLeftButtonUp() {}
  // A typed character; false swallows it.
  virtual bool OnChar(char16_t character, bool control_down) { return true; }
  // Owner drawing of an item of `size`; `selected` is the window's selected state.
  virtual void OnDraw(DrawTarget& target, Size size, bool selected) {}
};

// Events of an embedded web-browser control, on the user-interface thread.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  virtual void OnNavigateComplete(std::u16string_view url) {}
  // A page asks for a new window; returns whether to cancel it.
  virtual bool OnNewWindow(std::u16string_view url) { return false; }
  virtual void OnDocumentComplete(std::u16string_view url) {}
  // A click on a document element that the pane was asked to report (ReportClicksOn).
  virtual void OnElementClicked(std::u16string_view element_id) {}
};

// The embedded web-browser control of a dialog (one per attached control).
class BrowserPane {
 public:
  virtual ~BrowserPane() = default;
  // Starts loading `url`; false when the pane has no browser engine or the engine refuses.
  virtual bool Navigate(std::u16string_view url) = 0;
  // Hands the pane's document-host callbacks to the document now loaded; false when a
  // step fails (the document keeps the engine's own behaviour).
  virtual bool InstallUiHandler() = 0;
  // Reports clicks on the element with identifier `element_id` of the document now loaded
  // to the events' OnElementClicked; false when the document has no such element.
  virtual bool ReportClicksOn(std::u16string_view element_id) = 0;
};
