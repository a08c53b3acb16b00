// The site lists page on the real template, with the proxy over real sockets judging by the
// lists the page changes.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "core/kezo_resources.h"
#include "data_files.h"
#include "file_text.h"
#include "framework/headless/headless_ui.h"
#include "loopback_proxy_fixture.h"
#include "platform/file_system.h"
#include "resource.h"
#include "settings_ui/added_notice_dlg.h"
#include "settings_ui/bw_domain_dlg.h"
#include "test_pages.h"

namespace {

class SiteListsPageTest : public LoopbackProxyTest {
 protected:
  SiteListsPageTest() {
    std::filesystem::create_directories(folder_.path() / "www");
    WriteTextFile("www\\404.htm", kBlockPage, false);
    StartProxy();
    setup_.JieSeActive = false;
    ui_.on_modal = [this](CDialog& dialog) { return AnswerModal(dialog); };
    ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
    EXPECT_TRUE(page_.Create());
  }
  ~SiteListsPageTest() override { page_.DestroyWindow(); }

  int AnswerModal(CDialog& dialog) {
    if (dialog.TemplateId() == IDD_ADDED_NOTICE) {
      ++notices_;
      HeadlessWindow& notice = *ui_.WindowOf(dialog);
      EXPECT_EQ(notice.Look().background, CAddedNoticeDlg::kBackground);
      EXPECT_EQ(notice.Animations().back(), std::make_pair(ShowAnimation::kFade, 100));
      EXPECT_TRUE(ui_.FireTimer(dialog, CAddedNoticeDlg::kStayTimer));
      EXPECT_EQ(notice.HideAnimations(), (std::vector<std::pair<HideAnimation, int>>{{HideAnimation::kFade, 200}}));
      return kIdOk;
    }
    if (dialog.TemplateId() == IDD_ADD_URL) {
      HeadlessWindow& add = *ui_.WindowOf(dialog);
      prompts_.push_back(add.Text(IDC_ADD_PROMPT));
      EXPECT_FALSE(add.IsEnabled(kIdOk)) << "OK waits for a text";
      ui_.Paste(dialog, IDC_ADD_URL_ENTRY, typed_);
      ui_.Click(dialog, kIdOk);
      stayed_open_ = !add.IsEnded();
    }
    return kIdCancel;
  }
  // Chooses `command` from the list view's menu after a right click on `row`; returns the
  // menu that was shown.
  MenuModel Choose(int command, int row = -1) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.RightClickList(page_, IDC_BW_LIST, row);
    return ui_.menus.back();
  }
  void AddThroughDialog(std::u16string typed) {
    typed_ = std::move(typed);
    Choose(ID_BW_ADD);
  }
  std::vector<std::u16string> Rows() {
    HeadlessControl& view = *ui_.ControlOf(page_, IDC_BW_LIST);
    std::vector<std::u16string> rows;
    for (const auto& row : view.list_rows) rows.push_back(row[0]);
    return rows;
  }
  // What the proxy answers for a page of `host`.
  std::string Fetch(const std::string& host) {
    TestClient client(proxy_.Port());
    client.Send("GET http://" + host + ":" + std::to_string(origin_.port()) + "/ HTTP/1.1\r\nHost: " + host + "\r\n\r\n");
    std::string reply = client.ReadToEnd();
    return reply.ends_with("blocked") ? "blocked" : reply.ends_with("hello") ? "passed" : reply;
  }
  bool Enabled(const MenuModel& menu, int id) { return menu.Find(id) != nullptr && menu.Find(id)->enabled; }

  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
  SetupRecord& setup_ = TheSetup();
  CBWDomainDlg page_{lists_, setup_};
  std::u16string typed_;
  std::vector<std::u16string> prompts_;
  bool stayed_open_ = false;
  int notices_ = 0;
};

TEST_F(SiteListsPageTest, TheAddDialogStoresWhatTheProxyComparesAndTheNextRequestIsBlocked) {
  EXPECT_EQ(ui_.WindowOf(page_)->Text(IDC_BW_BLACK), u"禁止访问的网站");
  EXPECT_EQ(ui_.ControlOf(page_, IDC_BW_LIST)->list_columns, std::vector<std::u16string>{u"禁止访问的网站列表"});
  EXPECT_EQ(Fetch("bad-site.test"), "passed");

  struct Case {
    std::u16string typed;
    std::vector<std::u16string> rows;  // the list afterwards
    int notices;
  } cases[] = {
      {u"http://www.Bad-Site.TEST:8080/path?q=1", {u"bad-site.test"}, 1},
      // Only a leading scheme goes: an address quoted in the query leaves the host whole.
      {u"zed.test/?from=http://www.other.test", {u"bad-site.test", u"zed.test"}, 2},
      {u"HTTPS://WWW.Mixed.test.", {u"bad-site.test", u"mixed.test", u"zed.test"}, 3},
      {u"localhost", {u"bad-site.test", u"mixed.test", u"zed.test"}, 3},
      // Two lines where only the first is new: it is stored, and no notice follows.
      {u"new.test\r\nzed.test", {u"bad-site.test", u"mixed.test", u"new.test", u"zed.test"}, 3},
  };
  for (const Case& c : cases) {
    AddThroughDialog(c.typed);
    EXPECT_FALSE(stayed_open_) << std::string(c.typed.begin(), c.typed.end());
    EXPECT_EQ(Rows(), c.rows);
    EXPECT_EQ(*lists_.userBlackDomains.Entries(), c.rows);
    EXPECT_EQ(notices_, c.notices);
  }
  EXPECT_EQ(prompts_.front(), u"添加黑名单网址");
  EXPECT_EQ(Fetch("bad-site.test"), "blocked");
  EXPECT_EQ(Fetch("www.mixed.test"), "blocked");

  AddThroughDialog(u"ab");
  EXPECT_TRUE(stayed_open_) << "too short to be a site";

  CUserDomainList reread{list_files::kUserBlackDomain};
  reread.Load(true);
  EXPECT_EQ(*reread.Entries(), Rows()) << "the file holds what the view shows";
}

TEST_F(SiteListsPageTest, EachRadioShowsItsListAndAddsToIt) {
  lists_.userBlackDomains.Add(u"both.test", true);
  struct Case {
    int radio;
    std::u16string column;
    std::u16string typed;
    CMyList* list;
    std::u16string stored;
  } cases[] = {
      {IDC_BW_WHITE, u"不需要过滤的网站列表", u"www.both.test", &lists_.userWhiteDomains, u"both.test"},
      {IDC_BW_NO_IMAGE, u"不显示图片的网站列表", u"pics.test/a.png", &lists_.userNoImageDomains, u"pics.test"},
      {IDC_BW_URL_KEYWORD, u"网址过滤关键词列表", u"casino", &lists_.urlFilter, u"casino"},
  };
  EXPECT_EQ(Fetch("both.test"), "blocked");
  for (const Case& c : cases) {
    ui_.Click(page_, c.radio);
    EXPECT_EQ(ui_.ControlOf(page_, IDC_BW_LIST)->list_columns[0], c.column);
    EXPECT_TRUE(Rows().empty());
    AddThroughDialog(c.typed);
    EXPECT_EQ(*c.list->Entries(), std::vector<std::u16string>{c.stored});
    EXPECT_EQ(Rows(), std::vector<std::u16string>{c.stored});
  }
  EXPECT_EQ(prompts_, (std::vector<std::u16string>{u"添加白名单网址", u"添加不显示图片网址", u"添加网址过滤关键词"}));
  EXPECT_EQ(Fetch("both.test"), "passed") << "a never-filtered site passes although the black list names it";
  EXPECT_EQ(Fetch("www.bigcasino.test"), "blocked") << "a host that holds a URL keyword";

  ui_.Click(page_, IDC_BW_BLACK);
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"both.test"});
  EXPECT_GE(ui_.ControlOf(page_, IDC_BW_LIST)->list_redraw_pauses, 1) << "the view is refilled without drawing";
}

TEST_F(SiteListsPageTest, SeveralSelectedRowsAreDeletedInOneWriteAndClearingAsksFirst) {
  lists_.userBlackDomains.AddMany({u"a.test", u"b.test", u"c.test"}, true);
  ui_.Click(page_, IDC_BW_BLACK);
  EXPECT_EQ(Fetch("a.test"), "blocked");
  ui_.SelectListRows(page_, IDC_BW_LIST, {0, 2});
  Choose(ID_BW_DELETE_SELECTED, 2);
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"b.test"});
  EXPECT_EQ(*lists_.userBlackDomains.Entries(), std::vector<std::u16string>{u"b.test"});
  EXPECT_EQ(Fetch("a.test"), "passed");
  EXPECT_EQ(Fetch("c.test"), "passed");

  std::optional<std::string> before = FileSystem::Current().ReadAll("Data\\UserBlackDomain.kezo");
  ui_.on_message_box = [](const MessageBoxRequest& box) {
    EXPECT_EQ(box.text, u"是否要清空所有记录？");
    EXPECT_EQ(box.caption, u"确认");
    return kIdNo;
  };
  Choose(ID_BW_CLEAR_ALL);
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_EQ(FileSystem::Current().ReadAll("Data\\UserBlackDomain.kezo"), before) << "No changes nothing";
  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdYes; };
  Choose(ID_BW_CLEAR_ALL);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(lists_.userBlackDomains.Count(), 0u);
  EXPECT_EQ(Fetch("b.test"), "passed");
}

TEST_F(SiteListsPageTest, ImportAddsTheValidLinesAndReportsTheOthersInOneMessage) {
  WriteTextFile("import.txt", "http://www.one.test/x\r\ntwo.test\n\nnot a site\r\nlocalhost\nthree.test:81\n"
                              "\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95\nB\xC3\xBC" "cher.DE\n");  // 例子.测试, Bücher
  ui_.on_choose_file = [](const FileDialogRequest& request) {
    EXPECT_EQ(request.filter, u"文本文件(*.txt)|*.txt||");
    return std::optional<std::u16string>(u"import.txt");
  };
  Choose(ID_BW_IMPORT);
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"one.test", u"three.test", u"two.test", u"xn--bcher-kva.de",
                                                 u"xn--fsqu00a.xn--0zwm56d"}))
      << "names of other scripts are stored in the ASCII form the proxy compares";
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"有 2 行不是有效的网址，未导入。");
  EXPECT_EQ(notices_, 1);
  EXPECT_EQ(Fetch("three.test"), "blocked");
  EXPECT_EQ(Fetch("\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95"), "blocked");

  ui_.on_choose_file = [](const FileDialogRequest&) { return std::optional<std::u16string>(u"absent.txt"); };
  Choose(ID_BW_IMPORT);
  EXPECT_EQ(Rows().size(), 5u) << "an unreadable file adds nothing";
}

TEST_F(SiteListsPageTest, TheMenuFollowsTheListTheRowAndTheForcedMode) {
  MenuModel black_empty = Choose(0);
  EXPECT_EQ(black_empty.Find(ID_BW_OPEN_IN_BROWSER), nullptr) << "only the never-filtered list opens sites";
  EXPECT_FALSE(Enabled(black_empty, ID_BW_DELETE_SELECTED));
  EXPECT_FALSE(Enabled(black_empty, ID_BW_CLEAR_ALL));

  ui_.Click(page_, IDC_BW_WHITE);
  lists_.userWhiteDomains.Add(u"kind.test", true);
  page_.ShowCheckedList();
  MenuModel white_space = Choose(0);
  EXPECT_NE(white_space.Find(ID_BW_OPEN_IN_BROWSER), nullptr);
  EXPECT_FALSE(Enabled(white_space, ID_BW_OPEN_IN_BROWSER));
  EXPECT_TRUE(Enabled(white_space, ID_BW_CLEAR_ALL));
  MenuModel white_row = Choose(0, 0);
  EXPECT_TRUE(Enabled(white_row, ID_BW_OPEN_IN_BROWSER));
  EXPECT_TRUE(Enabled(white_row, ID_BW_DELETE_SELECTED));

  // The forced mode: nothing removed, nothing trusted; blocking more stays possible.
  setup_.JieSeActive = true;
  MenuModel forced_white = Choose(ID_BW_ADD, 0);
  for (int id : {ID_BW_ADD, ID_BW_IMPORT, ID_BW_DELETE_SELECTED, ID_BW_CLEAR_ALL}) {
    EXPECT_FALSE(Enabled(forced_white, id)) << id;
  }
  EXPECT_TRUE(prompts_.empty()) << "a greyed item does nothing even when chosen";
  Choose(ID_BW_DELETE_SELECTED, 0);
  EXPECT_EQ(lists_.userWhiteDomains.Count(), 1u);

  ui_.Click(page_, IDC_BW_BLACK);
  typed_ = u"forced.test";
  MenuModel forced_black = Choose(ID_BW_ADD);
  EXPECT_TRUE(Enabled(forced_black, ID_BW_ADD));
  EXPECT_TRUE(Enabled(forced_black, ID_BW_IMPORT));
  EXPECT_TRUE(lists_.userBlackDomains.Find(u"forced.test") >= 0);
  setup_.JieSeActive = false;
}

}  // namespace
