#include "platform/posix/gnome_proxy_setting.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/command_runner.h"

namespace {

constexpr std::u16string_view kSchema = u"org.gnome.system.proxy";
constexpr int kCommandTimeoutMs = 10000;

// A string in GVariant's text form: single quotes, with quotes and backslashes escaped.
std::u16string Quoted(std::u16string_view text) {
  std::u16string quoted = u"'";
  for (char16_t unit : text) {
    if (unit == u'\'' || unit == u'\\') quoted += u'\\';
    quoted += unit;
  }
  return quoted + u"'";
}

// A bypass entry as GNOME reads it: a numeric prefix with a wildcard ("10.*", "172.16.*")
// becomes the network it names ("10.0.0.0/8", "172.16.0.0/16"); Windows' "<local>" (every
// host without a dot) has no GNOME counterpart and is left out; other entries stay.
std::u16string GnomeHostPattern(std::u16string_view entry) {
  if (entry == u"<local>") return {};
  if (!entry.ends_with(u".*")) return std::u16string(entry);
  std::u16string_view prefix = entry.substr(0, entry.size() - 2);
  int parts = 1;
  for (char16_t unit : prefix) {
    if (unit == u'.') {
      ++parts;
    } else if (unit < u'0' || unit > u'9') {
      return std::u16string(entry);
    }
  }
  if (prefix.empty() || parts > 3) return std::u16string(entry);
  std::u16string network(prefix);
  for (int i = parts; i < 4; ++i) network += u".0";
  network += parts == 1 ? u"/8" : parts == 2 ? u"/16" : u"/24";
  return network;
}

// The bypass hosts (separated by ';', blanks around them ignored) as a GVariant string array.
std::u16string HostArray(std::u16string_view bypass) {
  std::u16string array = u"[";
  size_t at = 0;
  while (at <= bypass.size()) {
    size_t end = bypass.find(u';', at);
    if (end == std::u16string_view::npos) end = bypass.size();
    std::u16string_view host = bypass.substr(at, end - at);
    while (!host.empty() && (host.front() == u' ' || host.front() == u'\r' || host.front() == u'\n')) host.remove_prefix(1);
    while (!host.empty() && (host.back() == u' ' || host.back() == u'\r' || host.back() == u'\n')) host.remove_suffix(1);
    std::u16string pattern = GnomeHostPattern(host);
    if (!pattern.empty()) {
      if (array.size() > 1) array += u", ";
      array += Quoted(pattern);
    }
    at = end + 1;
  }
  return array + u"]";
}

bool Set(const std::u16string& schema, std::u16string_view key, const std::u16string& value, int* error) {
  std::optional<int> code =
      CommandRunner::Current().Run({u"gsettings", u"set", schema, std::u16string(key), value}, kCommandTimeoutMs);
  if (code == 0) return true;
  *error = code.value_or(-1);
  return false;
}

void Reset(const std::u16string& schema, std::u16string_view key) {
  CommandRunner::Current().Run({u"gsettings", u"reset", schema, std::u16string(key)}, kCommandTimeoutMs);
}

}  // namespace

bool GnomeProxySetting::PointAtLocalProxy(std::u16string_view server_text, uint16_t port, std::u16string_view bypass,
                                          int* error) {
  if (!DesktopHasSetting()) return true;
  std::u16string port_text;
  for (char digit : std::to_string(port)) port_text += static_cast<char16_t>(digit);
  for (std::u16string_view scheme : {u".http", u".https"}) {
    std::u16string schema = std::u16string(kSchema) + std::u16string(scheme);
    if (!Set(schema, u"host", Quoted(u"127.0.0.1"), error) || !Set(schema, u"port", port_text, error)) return false;
  }
  return Set(std::u16string(kSchema), u"ignore-hosts", HostArray(bypass), error) &&
         Set(std::u16string(kSchema), u"mode", Quoted(u"manual"), error);
}

void GnomeProxySetting::SetDirectWithAutoDetect() {
  if (!DesktopHasSetting()) return;
  int ignored = 0;
  Set(std::u16string(kSchema), u"autoconfig-url", Quoted(u""), &ignored);
  Reset(std::u16string(kSchema), u"ignore-hosts");
  for (std::u16string_view scheme : {u".http", u".https"}) {
    std::u16string schema = std::u16string(kSchema) + std::u16string(scheme);
    Reset(schema, u"host");
    Reset(schema, u"port");
  }
  Set(std::u16string(kSchema), u"mode", Quoted(u"auto"), &ignored);
}

void GnomeProxySetting::SwitchOffAtSessionEnd() {
  if (!DesktopHasSetting()) return;
  int ignored = 0;
  Set(std::u16string(kSchema), u"mode", Quoted(u"none"), &ignored);
}

bool GnomeProxySetting::DesktopHasSetting() {
  std::call_once(checked_, [this] {
    CommandRunner& runner = CommandRunner::Current();
    has_setting_ = runner.Available("gsettings") &&
                   runner.Run({u"gsettings", u"list-keys", std::u16string(kSchema)}, kCommandTimeoutMs) == 0;
    if (!has_setting_) {
      // A hint, not an error: the proxy serves all the same.
      std::printf("KEZO: this desktop has no proxy setting that KEZO can change (no GNOME gsettings); "
                  "point browsers at the proxy by hand.\n");
      std::fflush(stdout);
    }
  });
  return has_setting_;
}

ProxySetting& ProxySetting::System() {
  static GnomeProxySetting setting;
  return setting;
}
