#pragma once

#include "rules/list_files.h"

// Rewrites the host-name list `file` so that each entry with non-ASCII characters is kept
// in the ASCII form the proxy compares (CanonicalHost: lower case, "xn--" labels, no
// trailing dot); an entry that has no such form is dropped. Lists that come from outside
// (a data pack) may name sites in their own script, and such an entry would never equal a
// request's host. A list of ASCII entries only is left untouched, as is an unreadable one.
// Returns whether the file was rewritten.
bool StoreHostsInAsciiForm(const ListFile& file);
