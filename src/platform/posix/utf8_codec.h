#pragma once

#include <string>
#include <string_view>

// UTF-8 <-> UTF-16 as the Windows conversions do it without strict flags: each maximal
// invalid subsequence of the input becomes U+FFFD, and an unpaired surrogate is written as
// the UTF-8 of U+FFFD. Neither function stops at NUL; callers cut first.
std::u16string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u16string_view utf16);
