#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <string_view>

#include "base/snapshot.h"
#include "base/thread_annotations.h"
#include "rules/text_list.h"

struct SetupRecord;

// The pieces the proxy puts into every page it passes: a tip line with a sentence of
// encouragement, the in-page toolbar and the page script. The toolbar's look and the
// script's code are files of the control server that these pieces load, so that every
// page grows by little. Built when the proxy starts; the
// script and toolbar files are read only then, the tip frame again after the tip style
// has been saved.
//
// Thread-safe: connection threads ask for pieces at the same time; each tip list keeps
// its own draw so every sentence is shown once before any repeats.
class CPageAssets {
 public:
  // The marker in the tip frame that the chosen sentence replaces.
  static constexpr std::string_view kPlaceholder = "ShareContent";

  // The control server's address as the shipped page script names it, at its default port.
  static constexpr uint16_t kDefaultControlPort = 809;
  static constexpr std::string_view kDefaultControlServer = "http://127.0.0.1:809";

  // Reads the tip lists, the tip frame, the page script and the toolbar. `setup` supplies
  // the tip settings and must outlive the object. `control_port` is the port the control
  // server listens on: the page script and the toolbar are made to address it there, so
  // that what they load from it (the script file, the style sheet, /param.js) and the
  // toolbar's commands reach the running server whatever HttpPort says.
  explicit CPageAssets(SetupRecord& setup, uint16_t control_port = kDefaultControlPort);

  // Copies of the page script and the toolbar, in the local code page.
  std::string GetPageScript() const { return page_script_; }
  std::string GetToolbarHtml() const { return toolbar_html_; }

  // The tip line for one page in the local code page: the tip frame with every marker
  // replaced by one sentence from the switched-on tip lists (chosen at random between the
  // two when both are on); empty when both are off.
  std::string GetTipLine();

 private:
  void ReadTipFrame();

  SetupRecord& setup_;
  CMyList abstinence_tips_;
  CMyList cultivation_tips_;
  Snapshot<std::string> tip_frame_;
  const std::string page_script_;
  const std::string toolbar_html_;
  std::mutex random_mu_;
  std::mt19937 random_ GUARDED_BY(random_mu_);
};

// Writes www\param.js, which tells the page script the picture settings:
// "var kezo_data={}", then kezo_data.manual_nonepic='m' and kezo_data.no_img='n' with the
// cached ManualFilterImage and NonePicture values, lines joined by CR LF. A file that
// cannot be written is skipped.
void WriteParamScript(const SetupRecord& setup);
