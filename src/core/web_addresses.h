#pragma once

#include <string_view>

// Addresses the main window opens. The maker's and the partner's hosts are placeholders in
// a reserved domain until the real hosts are decided; every address is kept here.
namespace web_addresses {

inline constexpr std::u16string_view kMakerHost = u"https://www.solvane.example";
inline constexpr std::u16string_view kForcedModePage = u"https://www.solvane.example/cms/chijie/0612.php?m=Index&a=index";
inline constexpr std::u16string_view kSelfCultivationPage = u"https://www.solvane.example/cms/gongguo/member.php?op=reg";
inline constexpr std::u16string_view kHelpPage = u"https://www.solvane.example/soft_update/help.html";
inline constexpr std::u16string_view kDownloadPage = u"https://www.solvane.example/soft_update/";
inline constexpr std::u16string_view kHomePage = u"https://www.veltra-partner.example/";
// The tools' pages on the maker's host, loaded over plain HTTP.
inline constexpr std::u16string_view kCalendarPage = u"http://www.solvane.example/skrl2.html";
inline constexpr std::u16string_view kStatisticsPage = u"http://www.solvane.example/soft_stat/newkezo.html";
// The public authority's page for reporting illegal sites.
inline constexpr std::u16string_view kReportPage = u"https://www.12377.cn/";

// The link bar, in order: label and address.
struct Link {
  std::u16string_view label;
  std::u16string_view address;
};
inline constexpr Link kLinkBar[] = {
    {u"微信公众号", u"https://www.solvane.example/wechat.html"},
    {u"义工", u"https://www.solvane.example/volunteer.html"},
    {u"捐助", u"https://www.solvane.example/donate.html"},
    {u"分享", u"https://www.veltra-partner.example/share.html"},
};

}  // namespace web_addresses
