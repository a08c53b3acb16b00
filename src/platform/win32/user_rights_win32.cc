#include "platform/user_rights.h"

#include <windows.h>

namespace {

class WindowsUserRights : public UserRights {
 public:
  bool IsAdministrator() override {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators)) {
      return false;
    }
    // Membership counts only where the group is enabled in the token: a filtered token of
    // an administrator without elevation holds it for denying only.
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
  }
};

}  // namespace

UserRights& UserRights::System() {
  static WindowsUserRights rights;
  return rights;
}
