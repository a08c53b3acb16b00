#include "core/password_boxes.h"

#include "config/lock_record.h"

void SetUpPasswordBox(DialogWindow& window, int id, bool plain) {
  window.SetTextLimit(id, static_cast<int>(kMaxPasswordUnits));
  window.SetPasswordChar(id, plain ? 0 : kPasswordMask);
}
