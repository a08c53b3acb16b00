#pragma once

#include <memory>

#include "framework/ui_types.h"

// A picture loaded by the backend from a file (BMP, PNG, JPEG or GIF). Backends derive
// their own kind that holds what drawing needs. Immutable once loaded; shared freely.
class Image {
 public:
  virtual ~Image() = default;
  virtual Size GetSize() const = 0;
};

using ImagePtr = std::shared_ptr<const Image>;
