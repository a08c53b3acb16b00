#pragma once

#include <string>
#include <string_view>

// The text of a link that the keyword matcher judges: the alt and title texts of an image
// inside the link, then the link's own text without markup, with carriage returns, line
// feeds and tabs removed. `anchor` is the source of one anchor element, from its "<a " up
// to and including its "/a>". A malformed anchor (no ">", no "/a>", nothing between them)
// gives an empty text.
std::u16string LinkText(std::u16string_view anchor);
