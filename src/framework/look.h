#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/ui_types.h"

// A dialog's look, declared as data and applied by the backend.
struct DialogLook {
  std::optional<Color> background;        // client-area colour; the system's when empty
  std::u16string background_image;        // a picture drawn at (0, 0) over the colour
  std::optional<Color> static_text_color; // colour of the static texts
  bool transparent_static_text = false;   // static texts drawn without a background
  std::optional<uint8_t> opacity;         // layered window, 0..255
  bool drag_by_client_area = false;       // a press anywhere in the client area moves the window
  std::optional<Color> frame_color;       // a one-pixel line around the client area
  // A band along the bottom edge for the OK and Cancel buttons: its height (0: none), the
  // fill colour and the colour of its one-pixel top line and frame.
  int bottom_band_height = 0;
  Color bottom_band_fill = Rgb(240, 240, 240);
  Color bottom_band_line = Rgb(223, 223, 223);
};
