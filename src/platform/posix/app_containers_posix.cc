#include "platform/app_containers.h"

namespace {

// Linux has no app containers: nothing is ever exempted.
class NoAppContainers : public AppContainers {
 public:
  bool Supported() override { return false; }
  std::optional<std::vector<std::u16string>> List() override { return std::nullopt; }
  std::u16string SystemDirectory() override { return {}; }
  void RunTool(std::u16string_view tool, std::u16string_view parameters) override {}
};

}  // namespace

AppContainers& AppContainers::System() {
  static NoAppContainers none;
  return none;
}
