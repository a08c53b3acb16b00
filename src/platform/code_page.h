#pragma once

#include <string>
#include <string_view>

// Conversions between the local code page, UTF-8 and UTF-16.
//
// The local code page is the system's ANSI code page on Windows (936, GBK, on the target
// systems) and Microsoft's GBK (CP936) on POSIX, so both builds turn the same bytes into
// the same text. Bytes that do not convert become U+FFFD (UTF-8) or the platform's
// replacement ('?' on POSIX); UTF-16 that the target cannot express becomes '?' (local) or
// U+FFFD (UTF-8). Every result ends at the first NUL of the input. Thread-safe.
std::u16string LocalToWide(std::string_view local);
std::string WideToLocal(std::u16string_view wide);
std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view wide);
