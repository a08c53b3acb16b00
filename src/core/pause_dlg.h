#pragma once

#include <string_view>

#include "framework/dialog.h"

// How long to pause the filtering: one of seven choices. After kIdOk `minutes` holds the
// choice (0: until resumed by hand).
class CPauseDlg : public CDialog {
 public:
  struct DelayStruct {
    int minutes;
    std::u16string_view label;
  };
  static constexpr DelayStruct kChoices[] = {
      {5, u"5    分钟"}, {15, u"15  分钟"}, {30, u"30  分钟"}, {60, u"1    小时"},
      {120, u"2   小时"}, {180, u"3   小时"}, {0, u"立即暂停，手工恢复"},
  };

  CPauseDlg();

  int minutes = kChoices[0].minutes;

 protected:
  bool OnInit() override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
};
