#include <gtest/gtest.h>

#include "fake_desktop.h"
#include "framework/headless/headless_ui.h"
#include "settings_ui/explorer1.h"
#include "settings_ui/limit_edit.h"
#include "settings_ui/my_button.h"
#include "settings_ui/my_dialog.h"
#include "settings_ui/picture.h"
#include "temp_folder.h"
#include "test_pictures.h"

namespace {

TEST(LimitEditTest, OnlyWebAddressCharactersGetThrough) {
  const std::u16string accepted = u"0123456789abcdefghijklmnopqrstuvwxyz.:/\b\r";
  for (char16_t c : accepted) EXPECT_TRUE(LimitEditAccepts(c, false)) << static_cast<int>(c);
  const std::u16string refused = u"AZ-_ ?&=%@#中\t";
  for (char16_t c : refused) {
    EXPECT_FALSE(LimitEditAccepts(c, false)) << static_cast<int>(c);
    EXPECT_FALSE(LimitEditAccepts(c, true)) << static_cast<int>(c);
  }
  EXPECT_TRUE(LimitEditAccepts(22, true)) << "Control+V";
  EXPECT_FALSE(LimitEditAccepts(22, false));
}

TEST(ButtonFrameTest, PressedBeatsSelectedBeatsNormal) {
  struct Case {
    bool pressed, selected;
    int column;
  };
  for (Case c : {Case{false, false, 0}, Case{false, true, 26}, Case{true, false, 52}, Case{true, true, 52}}) {
    EXPECT_EQ(ButtonFrameColumn(26, c.pressed, c.selected), c.column) << c.pressed << c.selected;
  }
}

constexpr char kScript[] = R"rc(
200 DIALOGEX 0, 0, 200, 120
BEGIN
    PUSHBUTTON      "X", 1002, 10, 10, 17, 16, BS_OWNERDRAW
    PUSHBUTTON      "-", 1007, 30, 10, 17, 16, BS_OWNERDRAW
    CONTROL         "", 1004, "Static", SS_BITMAP | SS_NOTIFY, 10, 40, 50, 30
    EDITTEXT        1030, 10, 80, 80, 12
    CONTROL         "", 1006, "{8856F961-340A-11D0-A96B-00C04FD705A2}", NOT WS_VISIBLE, 0, 0, 200, 120
    DEFPUSHBUTTON   "确定", 1, 100, 100, 40, 12
END
)rc";

class ControlsDlg : public CMyDialog {
 public:
  ControlsDlg() : CMyDialog(200) {}
  CMyButton close_button;
  CMyButton broken_button;
  CPicture picture;
  CLimitEdit edit;
  CExplorer1 browser;
  std::vector<int> commands;

 protected:
  bool OnInit() override {
    CMyDialog::OnInit();
    SetBackgroundColor(Rgb(255, 255, 255));
    close_button.Setup(window(), 1002, u"Images\\CloseButton.bmp", u"关闭", Point{160, 8});
    broken_button.Setup(window(), 1007, u"Images\\missing.bmp", u"最小化", Point{130, 8});
    picture.Setup(window(), 1004, u"Images\\jiese1.png", u"Images\\xiushen1.png");
    edit.Attach(window(), 1030);
    browser.Attach(window(), 1006, CExplorer1::Wiring{true, true});
    return true;
  }
  bool OnCommand(int id) override {
    commands.push_back(id);
    return true;
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() {
    test_pictures::Write(folder_.path() / "Images" / "CloseButton.bmp",
                         test_pictures::Bmp(78, 26, [](int x, int y) { return 0x336699u; }));
    test_pictures::Write(folder_.path() / "Images" / "jiese1.png",
                         test_pictures::Png(40, 30, [](int x, int y) { return 0x112233u; }));
    test_pictures::Write(folder_.path() / "Images" / "xiushen1.png",
                         test_pictures::Png(44, 30, [](int x, int y) { return 0x445566u; }));
    EXPECT_TRUE(dialog_.Create());
  }

  ScopedTempWorkingFolder folder_;
  ResourceScript script_ = ResourceScript::Parse(kScript);
  HeadlessUi ui_{script_};
  ScopedUiBackend installed_{ui_};
  FakeShell shell_;
  ScopedSeam<Shell> shell_seam_{shell_};
  ControlsDlg dialog_;
};

TEST_F(ControlsTest, AnImageButtonShowsHoverAndPressedFramesAndClicksOnlyWhenReleasedOnIt) {
  HeadlessSurface& surface = *ui_.SurfaceOf(dialog_, 1002);
  EXPECT_TRUE(surface.owner_drawn);
  EXPECT_EQ(surface.tool_tip, u"关闭");
  EXPECT_EQ(surface.bounds, Rect::At(160, 8, 26, 26)) << "a loaded strip makes the button a 26 x 26 square";
  EXPECT_EQ(ui_.Draw(dialog_, 1002), 0);

  EXPECT_FALSE(ui_.MouseHover(dialog_, 1002)) << "no hover before the mouse moved onto it";
  ui_.MouseMove(dialog_, 1002);
  EXPECT_EQ(surface.hover_ms, 10u);
  ui_.MouseHover(dialog_, 1002);
  EXPECT_EQ(ui_.Draw(dialog_, 1002), 26);
  ui_.MouseDown(dialog_, 1002);
  EXPECT_EQ(ui_.Draw(dialog_, 1002), 52);
  ui_.MouseUp(dialog_, 1002);
  EXPECT_EQ(dialog_.commands, std::vector<int>{1002});

  ui_.MouseDown(dialog_, 1002);
  ui_.MouseLeave(dialog_, 1002);  // dragged off while pressed
  EXPECT_EQ(ui_.Draw(dialog_, 1002), 0);
  ui_.MouseUp(dialog_, 1002, /*inside=*/false);
  EXPECT_EQ(dialog_.commands, std::vector<int>{1002}) << "released outside: no click";
  EXPECT_FALSE(dialog_.close_button.IsTracking());
}

TEST_F(ControlsTest, AButtonWithoutItsPictureKeepsItsPlaceDrawsNothingAndStillClicks) {
  HeadlessSurface& surface = *ui_.SurfaceOf(dialog_, 1007);
  EXPECT_EQ(surface.bounds, Rect::At(30, 10, 17, 16));
  EXPECT_EQ(ui_.Draw(dialog_, 1007), std::nullopt);
  ui_.Click(dialog_, 1007);
  EXPECT_EQ(dialog_.commands, std::vector<int>{1007});
}

TEST_F(ControlsTest, APictureSwapsToItsHoverImageAndBackAndReportsClicks) {
  HeadlessSurface& surface = *ui_.SurfaceOf(dialog_, 1004);
  ASSERT_NE(surface.image, nullptr);
  EXPECT_EQ(surface.image->GetSize().width, 40);
  ui_.MouseMove(dialog_, 1004);
  ui_.MouseHover(dialog_, 1004);
  EXPECT_EQ(surface.image->GetSize().width, 44);
  ui_.MouseLeave(dialog_, 1004);
  EXPECT_EQ(surface.image->GetSize().width, 40);
  EXPECT_FALSE(dialog_.picture.IsTracking());
  ui_.Click(dialog_, 1004);
  EXPECT_EQ(dialog_.commands, std::vector<int>{1004});
}

TEST_F(ControlsTest, TheAddressBoxSwallowsOtherCharactersButNotPastedText) {
  ui_.Type(dialog_, 1030, u"Www-a_b.cn/X");
  EXPECT_EQ(dialog_.Window()->Text(1030), u"wwab.cn/");
  ui_.Paste(dialog_, 1030, u"-A_");
  EXPECT_EQ(dialog_.Window()->Text(1030), u"wwab.cn/-A_");
}

TEST_F(ControlsTest, TheDialogBaseKeepsAFiftyPixelBandAndItsBackground) {
  const DialogLook& look = ui_.WindowOf(dialog_)->Look();
  EXPECT_EQ(look.bottom_band_height, 50);
  EXPECT_EQ(look.bottom_band_fill, Rgb(240, 240, 240));
  EXPECT_EQ(look.bottom_band_line, Rgb(223, 223, 223));
  EXPECT_EQ(look.background, Rgb(255, 255, 255));
}

TEST_F(ControlsTest, TheBrowserHostInstallsItsCallbacksAndSendsNewWindowsToTheDefaultBrowser) {
  HeadlessBrowserPane& pane = *ui_.BrowserOf(dialog_, 1006);
  std::vector<std::u16string> completed;
  dialog_.browser.SetNavigateCompleteHook([&](std::u16string_view url) { completed.emplace_back(url); });
  EXPECT_TRUE(dialog_.browser.Navigate(u"about:blank"));
  EXPECT_EQ(pane.navigations, std::vector<std::u16string>{u"about:blank"});
  dialog_.browser.OnNavigateComplete(u"about:blank");
  EXPECT_EQ(pane.handler_installs, 1);
  EXPECT_EQ(completed, std::vector<std::u16string>{u"about:blank"});

  EXPECT_TRUE(dialog_.browser.OnNewWindow(u"https://a.example/x")) << "the new window is cancelled";
  EXPECT_EQ(shell_.opened, std::vector<std::u16string>{u"https://a.example/x"});

  CExplorer1 plain;
  EXPECT_FALSE(plain.Navigate(u"about:blank")) << "not attached: nothing to navigate";
  ASSERT_TRUE(plain.Attach(*dialog_.Window(), 1006, CExplorer1::Wiring{true, false}));
  EXPECT_FALSE(plain.OnNewWindow(u"https://b.example")) << "a host without the rule: the engine decides";
  EXPECT_EQ(shell_.opened.size(), 1u);
}

TEST(Explorer1Test, OnlyControlWithOPOrNIsSwallowed) {
  for (uint32_t key : {uint32_t{'O'}, uint32_t{'P'}, uint32_t{'N'}}) {
    EXPECT_TRUE(CExplorer1::SwallowsAccelerator(true, true, key)) << key;
    EXPECT_FALSE(CExplorer1::SwallowsAccelerator(true, false, key)) << key;
    EXPECT_FALSE(CExplorer1::SwallowsAccelerator(false, true, key)) << key;
  }
  EXPECT_FALSE(CExplorer1::SwallowsAccelerator(true, true, 'C'));
}

}  // namespace
