#pragma once

#include <mutex>
#include <string>

#include "platform/proxy_setting.h"

// The desktop's proxy setting on Linux: GNOME's, through the gsettings command (which
// GNOME, and the browsers that follow it, read). A desktop without it gets one line on
// standard error and nothing else; the proxy still serves browsers pointed at it by hand.
class GnomeProxySetting : public ProxySetting {
 public:
  bool PointAtLocalProxy(std::u16string_view server_text, uint16_t port, std::u16string_view bypass,
                         int* error) override;
  // Manual proxy off: automatic detection without a configuration address, which is
  // direct unless the network offers a proxy, as Windows does with automatic detection.
  void SetDirectWithAutoDetect() override;
  void SwitchOffAtSessionEnd() override;

 private:
  // Asked once per object: gsettings is there and knows GNOME's proxy schema.
  bool DesktopHasSetting();

  std::once_flag checked_;
  bool has_setting_ = false;
};
