#pragma once

#include "framework/control_behaviour.h"
#include "framework/dialog_window.h"

// Whether a typed character reaches a web-address edit box: the digits, the lower-case
// letters a to z, ".", ":", "/", Backspace, Enter, and Control+V (character 22) while the
// Control key is down. Everything else, upper-case letters, "-" and "_" included, is
// swallowed silently. Pasted text is not filtered.
bool LimitEditAccepts(char16_t character, bool control_down);

// An edit box that only lets web-address characters through as they are typed.
class CLimitEdit : public ControlBehaviour {
 public:
  // Attaches to edit control `id`; false when the template has no such control.
  bool Attach(DialogWindow& window, int id) { return window.AttachBehaviour(id, *this) != nullptr; }

  bool OnChar(char16_t character, bool control_down) override { return LimitEditAccepts(character, control_down); }
};
