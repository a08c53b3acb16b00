#pragma once

#include "framework/dialog_window.h"

// The password edit boxes: at most 12 characters, each shown as a black circle (or plainly
// when `plain`).
inline constexpr char16_t kPasswordMask = u'\u25CF';
void SetUpPasswordBox(DialogWindow& window, int id, bool plain = false);
