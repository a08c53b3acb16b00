#include "platform/browser_traces.h"

// Linux has no system-wide browser cache or history: each browser keeps its own, and
// wiping another program's profile is not this program's business.
void ClearBrowserTraces() {}
