#include "tools/share_to_dlg.h"

#include <utility>

#include "base/replace_all.h"
#include "base/text_format.h"
#include "config/settings.h"
#include "core/web_addresses.h"
#include "resource.h"
#include "rules/data_file.h"
#include "tools/local_page.h"
#include "tools_resource.h"

std::u16string ShareRecommendation(int filter_count) {
  return WithNumber(u"Veltra（Quorvel）已经帮我的网络屏蔽了 %d 条不良信息，这是一款可以过滤网络不良信息的公益反黄软件，"
                    u"永久免费，大家也来试试吧！下载地址：",
                    filter_count) +
         std::u16string(web_addresses::kDownloadPage);
}

CShareToDlg::CShareToDlg() : CDialog(IDD_SHARE_TO) {}

bool CShareToDlg::OnInit() {
  Size client = window().ClientSize();
  window().MoveControl(IDC_EXPLORER, Rect{0, 0, client.width, client.height});

  CMyFile page{std::string(kInputPath), false};
  page.Read();
  std::u16string recommendation = ShareRecommendation(TheSetup().FilterCount);
  const std::pair<std::u16string_view, std::u16string_view> placeholders[] = {
      {u"ShareContent", recommendation}, {u"ShareTitle", recommendation}};
  std::u16string filled = ReplaceEachInOnePass<char16_t>(page.Text(), placeholders);
  page.WriteTo(page.Encode(filled), kOutputPath);

  if (pane_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{})) {
    pane_.Navigate(u"about:blank");
    pane_.Navigate(LocalPageAddress(std::u16string(kOutputPath.begin(), kOutputPath.end())));
  }
  return true;
}
