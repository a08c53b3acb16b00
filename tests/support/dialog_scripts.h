#pragma once

#include <functional>
#include <map>
#include <vector>

#include "framework/headless/headless_ui.h"

// Answers each nested modal dialog by its template with the next script given for it; a
// dialog without a script left ends as cancelled.
class DialogScripts {
 public:
  explicit DialogScripts(HeadlessUi& ui) : ui_(ui) {
    ui_.on_modal = [this](CDialog& dialog) {
      auto script = scripts_.find(dialog.TemplateId());
      if (script == scripts_.end() || script->second.empty()) return kIdCancel;
      auto step = std::move(script->second.front());
      script->second.erase(script->second.begin());
      step(dialog);
      return kIdCancel;
    };
  }
  void Add(int template_id, std::function<void(CDialog&)> step) { scripts_[template_id].push_back(std::move(step)); }
  // Whether every script given has run.
  bool AllRun() const {
    for (const auto& [id, steps] : scripts_) {
      if (!steps.empty()) return false;
    }
    return true;
  }

 private:
  HeadlessUi& ui_;
  std::map<int, std::vector<std::function<void(CDialog&)>>> scripts_;
};
