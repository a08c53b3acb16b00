// The locked tray menu's "添加关键词" and "添加黑名单网址" through their real dialogs.
#include <gtest/gtest.h>

#include "core/kezo_dialogs.h"
#include "main_window_fixture.h"
#include "proxy/url_helpers.h"
#include "rules/list_files.h"
#include "settings_ui/add_word_dlg.h"

namespace {

class LockedMenuTest : public MainWindowTest {
 protected:
  LockedMenuTest() {
    lock_.password = true;
    lock_.locked = true;
    main_ = std::make_unique<CKEZODlg>(
        lists_, CKEZODlg::Collaborators{&real_dialogs_, &forced_, &lock_, nullptr, [](auto work) { work(); }});
    main_->SetQuitsOnDestroy(true);
    EXPECT_TRUE(main_->Create());
    system_.TakeFirstRegistration();  // the proxy has loaded its lists
  }
  ~LockedMenuTest() override {
    main_->Teardown();
    main_.reset();
  }
  void ChooseFromTray(int command) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.SendTrayEvent(*main_, TrayEvent::kRightButtonUp);
  }
  // Types `text` into the add-keyword dialog, keeping what it already shows when empty.
  void AddWord(std::u16string text) {
    ui_.on_modal = [this, text](CDialog& dialog) {
      EXPECT_EQ(dialog.TemplateId(), IDD_ADD_WORD);
      shown_word_ = ui_.WindowOf(dialog)->Text(IDC_ADD_WORD_ENTRY);
      if (!text.empty()) {
        ui_.WindowOf(dialog)->SetText(IDC_ADD_WORD_ENTRY, u"");
        ui_.Paste(dialog, IDC_ADD_WORD_ENTRY, text);
      }
      ui_.Click(dialog, kIdOk);
      return kIdCancel;
    };
    ChooseFromTray(ID_LOCKED_ADD_KEYWORD);
  }
  bool Blocked(const std::string& url) {
    return main_->Proxy()->Config().Judge(url, SplitUrl(url), "").verdict == RequestVerdict::kBlockPage;
  }

  KezoDialogs real_dialogs_;
  std::u16string shown_word_;
};

TEST_F(LockedMenuTest, AKeywordOfTwoToTenCharactersIsAddedAndTheMatcherRebuilt) {
  AddWord(u"一个很长的关键词超过了十个字");
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"添加成功!"});
  CMyList stored(list_files::kUserWordEditing);
  stored.Load(true);
  EXPECT_EQ(*stored.Entries(), std::vector<std::u16string>{u"一个很长的关键词超过"}) << "the field holds ten";
  EXPECT_TRUE(main_->BlackFilter()->Match(std::u16string_view(u"看一个很长的关键词超过吧")));

  AddWord(u"色");
  EXPECT_TRUE(MessageTexts().empty()) << "one character is too short: nothing is shown";
  AddWord(u"");
  EXPECT_EQ(shown_word_, u"色") << "the dialog shows the word typed last";
  AddWord(u"一个很长的关键词超过了");
  EXPECT_TRUE(MessageTexts().empty()) << "a word already listed shows nothing";
}

TEST_F(LockedMenuTest, SitesAreAddedToTheBlackListAndTheProxyJudgesByThemAtOnce) {
  EXPECT_FALSE(Blocked("http://locked-site.test/page"));
  ui_.on_modal = [this](CDialog& dialog) {
    EXPECT_EQ(dialog.TemplateId(), IDD_ADD_URL);
    EXPECT_EQ(ui_.WindowOf(dialog)->Text(IDC_ADD_PROMPT), u"添加黑名单网址");
    ui_.Paste(dialog, IDC_ADD_URL_ENTRY, u"http://www.Locked-Site.test/page\r\nsecond.test:8080");
    ui_.Click(dialog, kIdOk);
    return kIdCancel;
  };
  ChooseFromTray(ID_LOCKED_ADD_SITE);
  EXPECT_EQ(*lists_.userBlackDomains.Entries(), (std::vector<std::u16string>{u"locked-site.test", u"second.test"}));
  EXPECT_TRUE(Blocked("http://www.locked-site.test/page"));
  EXPECT_TRUE(Blocked("http://second.test/"));
}

}  // namespace
