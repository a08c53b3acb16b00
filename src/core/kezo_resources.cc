#include "core/kezo_resources.h"

#include <cstddef>
#include <string_view>

extern const unsigned char kKezoResourceScript[];
extern const size_t kKezoResourceScriptSize;

const ResourceScript& KezoResources() {
  static const ResourceScript script = ResourceScript::Parse(
      std::string_view(reinterpret_cast<const char*>(kKezoResourceScript), kKezoResourceScriptSize));
  return script;
}
