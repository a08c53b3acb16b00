#include "settings_ui/limit_edit.h"

bool LimitEditAccepts(char16_t character, bool control_down) {
  constexpr char16_t kBackspace = 8, kEnter = 13, kPaste = 22;
  if (character >= u'0' && character <= u'9') return true;
  if (character >= u'a' && character <= u'z') return true;
  switch (character) {
    case u'.':
    case u':':
    case u'/':
    case kBackspace:
    case kEnter:
      return true;
    case kPaste:
      return control_down;
    default:
      return false;
  }
}
