#pragma once

// Wipes what the system's browser keeps of the pages seen: the URL cache, the history and
// the typed addresses (Windows); nothing on POSIX, where every browser keeps its own. Never
// fails visibly.
void ClearBrowserTraces();
