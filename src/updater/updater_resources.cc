#include "updater/updater_resources.h"

#include <cstddef>
#include <string_view>

extern const unsigned char kUpdaterResourceScript[];
extern const size_t kUpdaterResourceScriptSize;

const ResourceScript& UpdaterResources() {
  static const ResourceScript script = ResourceScript::Parse(
      std::string_view(reinterpret_cast<const char*>(kUpdaterResourceScript), kUpdaterResourceScriptSize));
  return script;
}
