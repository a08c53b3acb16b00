#pragma once

#include "rules/list_files.h"
#include "rules/text_list.h"
#include "rules/url_filter.h"
#include "rules/user_domain_list.h"

// The list instances that the whole program shares for its lifetime: the proxy looks
// entries up in them while the control server and the dialogs add and remove entries.
// Each list is safe for that on its own.
struct SharedLists {
  CMyList urlList{list_files::kURLList};
  CUserDomainList userBlackDomains{list_files::kUserBlackDomain};
  CUserDomainList userWhiteDomains{list_files::kUserWhiteDomain};
  CMyList userNoImageDomains{list_files::kUserNoImageDomain};
  CURLFilter urlFilter{list_files::kURLFilter};
};

// The process-wide instances.
SharedLists& TheSharedLists();
