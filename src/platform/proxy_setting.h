#pragma once

#include <cstdint>
#include <string_view>

#include "base/seam.h"

// The system's web proxy setting, which browsers follow: WinINet's per-connection options
// of the default connection on Windows, the desktop's proxy setting (GNOME's, through
// gsettings) on POSIX. Thread-safe; the setting itself is shared with every other program,
// so the last writer wins.
class ProxySetting : public Seam<ProxySetting> {
 public:
  virtual ~ProxySetting() = default;

  // Sends HTTP and HTTPS through 127.0.0.1:`port`. `server_text` is the proxy server
  // option as Windows takes it ("http=127.0.0.1:P;https=127.0.0.1:P"); `bypass` lists the
  // hosts that go direct, separated by ';'. Returns false with the system's error number in
  // `error` when the system refused the change.
  virtual bool PointAtLocalProxy(std::u16string_view server_text, uint16_t port, std::u16string_view bypass,
                                 int* error) = 0;
  // Direct connections with automatic proxy detection, no proxy server, no bypass list, and
  // the other programs told about the change.
  virtual void SetDirectWithAutoDetect() = 0;
  // The fast way at the end of the user's session: only switches the proxy off.
  virtual void SwitchOffAtSessionEnd() = 0;

  static ProxySetting& System();
};
