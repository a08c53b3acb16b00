// The window patrol against a fake desktop: which windows it asks to close, what it never
// does to other programs, and its one thread.
#include "core/window_patrol.h"

#include <gtest/gtest.h>

#include "fake_desktop.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "platform/code_page.h"
#include "rules/data_file.h"
#include "rules/word_filter.h"

namespace {

using Window = FakeTopLevelWindows::Window;

class WindowPatrolTest : public ::testing::Test {
 protected:
  WindowPatrolTest() {
    PutWords("Data\\word.kezo", u"色情\r\nporn\r\n");
    PutWords("Data\\whiteword.kezo", u"色情防范\r\n");
    black_ = std::make_unique<CWordFilter>(true);
    white_ = std::make_unique<CWordFilter>(false);
  }
  void PutWords(const std::string& path, const std::u16string& lines) {
    std::string body = WideToUtf8(lines);
    CMyFile::Scramble(body);
    files_.Put(path, "\xEF\xBB\xBF" + body);
  }
  // One pass; `waits` records the pauses asked for.
  void Patrol() {
    PatrolWindows(windows_, *black_, *white_, PatrolTiming{}, [this](std::chrono::milliseconds duration) {
      if (duration.count() > 0) waits_.push_back(duration);
      return true;
    });
  }

  MemoryFileSystem files_;
  MemoryProfileStore profile_;
  FakeTopLevelWindows windows_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  ScopedSeam<TopLevelWindows> windows_seam_{windows_};
  std::unique_ptr<CWordFilter> black_;
  std::unique_ptr<CWordFilter> white_;
  std::vector<std::chrono::milliseconds> waits_;
};

TEST_F(WindowPatrolTest, OnlyAVisibleUnownedWindowWithABannedTitleIsAskedToClose) {
  windows_.desktop = {
      Window{1, u"色情图片 - 浏览器"},
      Window{2, u"今日新闻 - 浏览器"},
      Window{3, u"色情防范知识 - 浏览器"},  // the white list clears it
      Window{10, u"色情防范 色情图片"},     // but only where a white word stands
      Window{4, u"mm 色情"},                // "mm" clears it
      Window{5, u"色情", false},            // hidden
      Window{6, u"色情", true, true},       // owned by another window
      Window{7, u""},
      Window{8, u"free PORN"},              // the words are exact
      Window{9, u"porn videos"},
  };
  Patrol();
  EXPECT_EQ(windows_.HandlesAsked(), (std::vector<WindowHandle>{1, 10, 9}));
  for (const auto& request : windows_.close_requests) {
    EXPECT_GT(request.timeout_ms, 0u) << "every close request has a time limit";
    EXPECT_LE(request.timeout_ms, 5000u);
  }
  EXPECT_TRUE(windows_.enter_keys.empty()) << "closed windows are not brought forward or answered";
}

TEST_F(WindowPatrolTest, AClosingQuestionIsAnsweredOnlyWhenItBelongsToTheClosedProgram) {
  Window asks{1, u"色情小说"};
  asks.closes = false;  // its program asks whether to close
  asks.program = 40;
  Window question{50, u"确认关闭?"};
  question.program = 40;
  Window other_program{60, u"文档 - 编辑器"};
  other_program.program = 41;
  windows_.desktop = {asks, question, other_program};

  windows_.question_on_front = 50;
  Patrol();
  EXPECT_EQ(windows_.enter_keys, std::vector<WindowHandle>{50});
  EXPECT_EQ(waits_, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(100)});

  // Another program took the front meanwhile: no key goes there.
  windows_.enter_keys.clear();
  windows_.question_on_front = 60;
  Patrol();
  EXPECT_TRUE(windows_.enter_keys.empty());
}

TEST_F(WindowPatrolTest, AWindowThatDoesNotAnswerIsLeftAndTheRestAreStillVisited) {
  Window hung{1, u"色情 (未响应)"};
  hung.answer = CloseAnswer::kNoAnswer;
  windows_.desktop = {hung, Window{2, u"porn"}};
  Patrol();
  EXPECT_EQ(windows_.HandlesAsked(), (std::vector<WindowHandle>{1, 2}));
  EXPECT_TRUE(windows_.enter_keys.empty()) << "a hung window is not brought forward";
  EXPECT_TRUE(waits_.empty());

  // The next pass tries it again.
  Patrol();
  EXPECT_EQ(windows_.HandlesAsked(), (std::vector<WindowHandle>{1, 2, 1}));
}

TEST_F(WindowPatrolTest, APassEndsAsSoonAsThePatrolIsTurnedOff) {
  windows_.desktop = {Window{1, u"porn"}, Window{2, u"porn"}};
  PatrolWindows(windows_, *black_, *white_, PatrolTiming{}, [](std::chrono::milliseconds) { return false; });
  EXPECT_TRUE(windows_.close_requests.empty());
}

TEST_F(WindowPatrolTest, TheThreadScansUntilStoppedAndOffOnLeavesOneThread) {
  Window hung{1, u"色情"};
  hung.answer = CloseAnswer::kNoAnswer;
  windows_.desktop = {hung};
  PatrolTiming quick;
  quick.period = std::chrono::milliseconds(1);
  CWindowPatrol patrol(quick);
  patrol.Start(*black_, *white_);
  windows_.WaitForEnumerations(3);  // a window that never answers does not stall the scans
  patrol.Stop();
  EXPECT_EQ(patrol.ThreadsAlive(), 0) << "Stop waits for the thread";
  EXPECT_FALSE(patrol.IsRunning());

  CWindowPatrol slow;  // the real three seconds between passes
  slow.Start(*black_, *white_);
  slow.Stop();
  slow.Start(*black_, *white_);
  slow.Start(*black_, *white_);
  EXPECT_EQ(slow.ThreadsAlive(), 1);
  slow.Stop();  // wakes the thread, also from its sleep between passes
  EXPECT_EQ(slow.ThreadsAlive(), 0);
}

}  // namespace
