#pragma once

#include "platform/user_rights.h"

// Rights the test chooses: an administrator unless told otherwise.
class FakeUserRights : public UserRights {
 public:
  bool IsAdministrator() override { return administrator; }
  bool administrator = true;
};
