#include "updater/update_options.h"

namespace {

constexpr size_t kMaxVersionLength = 15;

}  // namespace

UpdateOptions ParseUpdateOptions(const std::vector<std::u16string>& arguments) {
  UpdateOptions options;
  for (const std::u16string& argument : arguments) {
    if (argument == u"-h") {
      options.hidden = true;
    } else if (argument == u"-u") {
      options.program_update = true;
    } else if (argument.find(u"-v") != std::u16string::npos) {
      bool well_formed = argument.starts_with(u"-v=") && argument.size() > 3 && argument.size() <= 3 + kMaxVersionLength;
      options.version = well_formed ? argument.substr(3) : std::u16string();
    }
  }
  return options;
}
