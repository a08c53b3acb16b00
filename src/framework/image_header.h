#pragma once

#include <optional>
#include <string_view>

#include "framework/ui_types.h"

// The pixel size a picture file declares in its header (PNG, BMP, JPEG or GIF); nullopt
// for anything else, for a truncated header and for a size of zero. Reads only the bytes
// it needs and never past the end of `bytes`.
std::optional<Size> ReadImageHeaderSize(std::string_view bytes);
