// Every transport and navigation command with real pointer input on the authored NTSC
// disc: each control-panel button, each item of the main menu and of the video's popup
// menu does what its command says, judged by what the screen shows (the frame number
// every test picture carries, the menus' colours) and by the navigator's place. With
// QDVD_FULLSCREEN_SCREENSHOTS naming a folder, full screen on and off are saved there.
#include "display_fixture.h"

#include "app/Unit2.h"
#include "app/Unit4.h"
#include "support/media/frame_code.h"

#include <QCoreApplication>

#include <cstdio>
#include <utility>

namespace {

// How a command is reached: a button, or a path of menu items from the menu bar or
// from the popup opened by a right click on the picture.
struct Control {
  const char *name;
  TsBitBtn *button = nullptr;
  std::vector<TMenuItem *> menuPath;
  std::vector<TMenuItem *> popupPath;
};

class CommandsDisplayTest : public PlayDisplayTest {
protected:
  void SetUp() override {
    PlayDisplayTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Form3->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
  }

  // The frame number on the screen now (-1: no test picture).
  int Code() {
    QImage image = Picture().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return -1;
    // The picture fills the video area at its aspect: find its top row.
    const QRect area = PictureArea();
    if (area.isEmpty()) return -1;
    QImage picture = image.copy(area);
    return testmedia::ReadFrameCode(picture.constBits(), static_cast<int>(picture.bytesPerLine()), picture.width(),
                                    8 * picture.height() / 480);
  }
  // Where the disc's 4:3 picture lies in the video window, fitted and centred.
  QRect PictureArea() {
    const QSize w = Form3->VideoWindow->size();
    if (w.width() * 3 > w.height() * 4) {
      const int pw = w.height() * 4 / 3;
      return QRect((w.width() - pw) / 2, 0, pw, w.height());
    }
    const int ph = w.width() * 3 / 4;
    return QRect(0, (w.height() - ph) / 2, w.width(), ph);
  }
  bool CodeReaches(const std::function<bool(int)> &ok, int ms = 5000) {
    return WaitFor([&] { return ok(Code()); }, ms);
  }
  OAFilterState State() {
    OAFilterState s = -1;
    if (auto c = Query<IMediaControl>()) c->GetState(0, &s);
    return s;
  }
  ULONG ChapterNow() {
    DVD_PLAYBACK_LOCATION2 loc{};
    if (auto info = Query<IDvdInfo2>(); !info || FAILED(info->GetCurrentLocation(&loc))) return 0;
    return loc.ChapterNum;
  }

  // Walks the menu bar or the popup to the last item of `path` and clicks it.
  void ChooseFromBar(const std::vector<TMenuItem *> &path) {
    QMenuBar *bar = FormDVDPlayer->MenuBar();
    ASSERT_TRUE(bar);
    QAction *top = nullptr;
    for (QAction *a : bar->actions())
      if (a == path[0] || (a->menu() && a->menu() == path[0]->SubMenu())) top = a;
    ASSERT_NE(top, nullptr);
    ClickAt(bar->mapToGlobal(bar->actionGeometry(top).center()));
    Walk(path[0]->SubMenu(), {path.begin() + 1, path.end()});
  }
  void ChooseFromPopup(const std::vector<TMenuItem *> &path) {
    TVideoWindow *video = Form3->VideoWindow;
    const QPoint at = video->mapToGlobal(video->rect().center());
    ASSERT_TRUE(ClickOnScreen(at, 3)) << "the right click did not arrive";
    Walk(FormDVDPlayer->Popup, path);
  }
  void Walk(QMenu *menu, const std::vector<TMenuItem *> &path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
      ASSERT_TRUE(WaitFor([&] { return menu && menu->isVisible(); }, 3000))
          << "the menu holding " << path[i]->Caption().toStdString() << " does not open";
      // Shown is not yet on the screen: a click before the display maps it falls through.
      ASSERT_TRUE(QTest::qWaitForWindowExposed(menu)) << path[i]->Caption().toStdString() << " is not on the screen";
      ClickAt(menu->mapToGlobal(menu->actionGeometry(path[i]).center()));
      if (i + 1 < path.size()) menu = path[i]->SubMenu();
    }
    ASSERT_TRUE(WaitFor([&] { return !menu->isVisible(); }, 3000)) << "the menu stays open";
  }
  void Use(const Control &c) {
    if (c.button) {
      ClickAt(c.button->mapToGlobal(c.button->rect().center()));
    } else if (!c.menuPath.empty()) {
      ChooseFromBar(c.menuPath);
    } else {
      ChooseFromPopup(c.popupPath);
    }
  }

  // Title 1 playing from chapter `chapter`, its pictures moving on the screen.
  void Playing(ULONG chapter = 1) {
    if (!Graph()->Active()) {
      PlayMenuDisc();
      StartTitle(1);
    }
    if (State() != State_Running) Graph()->Play();
    ComPtr<IDvdCmd> cmd;
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ASSERT_TRUE(dvd);
    dvd->PlayForwards(1.0, 0, &cmd);
    ASSERT_EQ(dvd->PlayChapterInTitle(1, chapter, DVD_CMD_FLAG_Block, nullptr), S_OK);
    // The jump's own first pictures, then a few more: older pictures may still be up.
    const int first = 120 * static_cast<int>(chapter - 1);
    ASSERT_TRUE(CodeReaches([&](int c) { return c >= first && c < first + 4; })) << "no jump: " << Code();
    ASSERT_TRUE(CodeReaches([&](int c) { return c >= first + 5 && c < first + 120; }))
        << "chapter " << chapter << " does not play: " << Code();
  }

  std::vector<Control> Controls(TsBitBtn *button, std::vector<TMenuItem *> menu, std::vector<TMenuItem *> popup) {
    std::vector<Control> out;
    if (button) out.push_back({"button", button, {}, {}});
    if (!menu.empty()) out.push_back({"main menu", nullptr, menu, {}});
    if (!popup.empty()) out.push_back({"popup", nullptr, {}, popup});
    return out;
  }
};

TEST_F(CommandsDisplayTest, PauseStopAndPlayFromEachControl) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  for (const Control &c : Controls(p->sBitBtn2, {p->ControlMenu, p->PauseMenu}, {p->Pause2})) {
    SCOPED_TRACE(std::string("pause by ") + c.name);
    Playing();
    Use(c);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; }));
    QTest::qWait(200);
    const int held = Code();
    QTest::qWait(400);
    EXPECT_EQ(Code(), held) << "the picture moves while paused";
    EXPECT_GE(held, 0);
  }
  for (const Control &c : Controls(p->sBitBtn3, {p->ControlMenu, p->StopMenu}, {p->Stop2})) {
    SCOPED_TRACE(std::string("stop by ") + c.name);
    Playing(2);
    Use(c);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Stopped; }));
    // The last picture stays, or the window goes black; nothing else.
    QTest::qWait(300);
    const int code = Code();
    const QImage shown = Picture();
    const bool black = shown.pixelColor(shown.width() / 2, shown.height() / 2).lightness() < 24;
    EXPECT_TRUE((code >= 120 && code < 240) || black) << code;
    QTest::qWait(300);
    EXPECT_EQ(Code(), code) << "the picture moves while stopped";
  }
  // Play after Stop goes on in the title where the navigator stood.
  for (const Control &c : Controls(p->sBitBtn1, {p->ControlMenu, p->PlayMenu}, {p->Play2})) {
    SCOPED_TRACE(std::string("play by ") + c.name);
    Playing(2);
    Graph()->Stop();
    ASSERT_TRUE(WaitFor([&] { return State() == State_Stopped; }));
    Use(c);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; }));
    EXPECT_TRUE(PictureMoves());
    EXPECT_EQ(Domain(), DVD_DOMAIN_Title);
    const int code = Code();
    EXPECT_TRUE(code >= 120 && code < 360) << code;
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

// A frame step while playing stops on the next picture; each further step shows one
// more; Play resumes.
TEST_F(CommandsDisplayTest, FrameStepStopsOnTheNextPictureAndEachStepShowsOneMore) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  for (const Control &c : Controls(p->sBitBtn9, {p->ControlMenu, p->StepForwardMenu}, {})) {
    SCOPED_TRACE(std::string("step by ") + c.name);
    Playing();
    const int before = Code();
    Use(c);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; }));
    QTest::qWait(300);
    const int stopped = Code();
    EXPECT_GT(stopped, before);
    EXPECT_LT(stopped, before + 15) << "the step did not stop near the picture shown";
    QTest::qWait(300);
    EXPECT_EQ(Code(), stopped) << "the picture moves after the step";
    for (int step = 1; step <= 3; ++step) {
      Use(c);
      EXPECT_TRUE(CodeReaches([&](int code) { return code == stopped + step; }, 3000))
          << "step " << step << " shows " << Code() << " after " << stopped;
      QTest::qWait(200);
      EXPECT_EQ(Code(), stopped + step) << "more than one picture per step";
    }
    Use({"play button", p->sBitBtn1, {}, {}});
    EXPECT_TRUE(PictureMoves());
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, ChapterSkipsShowTheNewChaptersPicturesPromptly) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  for (const Control &c :
       Controls(p->sBitBtn7, {p->ControlMenu, p->GoToMenu, p->NextChapterMenu}, {p->GoTo2, p->NextChapter2})) {
    SCOPED_TRACE(std::string("next chapter by ") + c.name);
    Playing(1);
    Use(c);
    // Chapter 2 begins at frame 120; its first pictures come within a second.
    EXPECT_TRUE(CodeReaches([](int code) { return code >= 120 && code < 150; }, 1500)) << Code();
    EXPECT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 2"; }, 2000)) << Chapter().toStdString();
  }
  for (const Control &c : Controls(p->sBitBtn6, {p->ControlMenu, p->GoToMenu, p->PreviousChapterMenu},
                                   {p->GoTo2, p->PreviousChapter2})) {
    SCOPED_TRACE(std::string("previous chapter by ") + c.name);
    Playing(3);
    Use(c);
    EXPECT_TRUE(CodeReaches([](int code) { return code >= 120 && code < 150; }, 1500)) << Code();
    EXPECT_TRUE(WaitFor([&] { return ChapterNow() == 2; }, 2000)) << ChapterNow();
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, ScansRunAtEightTimesBothWaysAndPlayReturnsToNormalSpeed) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  for (const Control &c :
       Controls(p->sBitBtn5, {p->ControlMenu, p->PlaySpeed1, p->FastForward1}, {p->PlaySpeed2, p->FastForward2})) {
    SCOPED_TRACE(std::string("fast forward by ") + c.name);
    Playing(1);
    Use(c);
    QTest::qWait(200);
    const int from = Code();
    QElapsedTimer wall;
    wall.start();
    // At 8x the title's 360 pictures go by in 1.5 s: 90 of them take well under a
    // second (at normal speed, three).
    EXPECT_TRUE(CodeReaches([&](int code) { return code >= from + 90; }, 2500)) << from << " -> " << Code();
    p->sBitBtn1->click(); // back to normal
  }
  for (const Control &c : Controls(p->sBitBtn4, {p->ControlMenu, p->PlaySpeed1, p->Rewind1}, {p->PlaySpeed2, p->Rewind2})) {
    SCOPED_TRACE(std::string("rewind by ") + c.name);
    Playing(3);
    Use(c);
    QTest::qWait(200);
    const int from = Code();
    EXPECT_TRUE(CodeReaches([&](int code) { return code >= 0 && code <= from - 60; }, 2500)) << from << " -> " << Code();
    Use({"play button", p->sBitBtn1, {}, {}});
    // Forwards again (the scan's last pictures may still come first), then a second's
    // worth of pictures.
    int previous = Code();
    ASSERT_TRUE(CodeReaches([&](int code) {
      const int before = std::exchange(previous, code);
      return before >= 0 && code > before;
    }))
        << "not forwards again: " << Code();
    const int normal = Code();
    QTest::qWait(1000);
    const int later = Code();
    EXPECT_GT(later, normal) << "not forwards again";
    EXPECT_LT(later, normal + 60) << "not at normal speed again";
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, RootAndTitleMenusShowTheDiscsMenus) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  // The disc's menus carry a constant frame code: 0xC001 the title menu, 0xC002 the
  // root menu of title set 1.
  for (const Control &c : Controls(p->sBitBtn10, {p->ControlMenu, p->MenuRoot}, {p->MenuRoot2})) {
    SCOPED_TRACE(std::string("root menu by ") + c.name);
    Playing();
    Use(c);
    EXPECT_TRUE(CodeReaches([](int code) { return code == 0xC002; })) << "the root menu does not show: " << Code();
  }
  for (const Control &c : Controls(nullptr, {p->ControlMenu, p->TitleMenu}, {p->TitleMenu2})) {
    SCOPED_TRACE(std::string("title menu by ") + c.name);
    Playing();
    Use(c);
    EXPECT_TRUE(CodeReaches([](int code) { return code == 0xC001; }) && MostlyBlue(Picture()))
        << "the title menu does not show: " << Code();
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, BookmarkItemsSaveAndRestoreThePlace) {
  TFormDVDPlayer *p = FormDVDPlayer;
  const QString file = QCoreApplication::applicationDirPath() + "/bookmark.bmk";
  QFile::remove(file);
  PlayMenuDisc();
  StartTitle(1);
  const std::vector<std::pair<std::vector<TMenuItem *>, std::vector<TMenuItem *>>> ways = {
      {{p->OptionsMenu, p->BookmarksMenu, p->SavebookmarkMenu}, {p->OptionsMenu, p->BookmarksMenu, p->RestorebookmarkMenu}},
      {{p->Bookmarks2, p->Savebookmark2}, {p->Bookmarks2, p->Restorebookmark2}},
  };
  for (std::size_t i = 0; i < ways.size(); ++i) {
    SCOPED_TRACE(i == 0 ? "main menu" : "popup");
    QFile::remove(file);
    Playing(2);
    const auto &[save, restore] = ways[i];
    if (i == 0) ChooseFromBar(save);
    else ChooseFromPopup(save);
    ASSERT_TRUE(QFile::exists(file));
    Playing(1);
    if (i == 0) ChooseFromBar(restore);
    else ChooseFromPopup(restore);
    EXPECT_TRUE(CodeReaches([](int code) { return code >= 120 && code < 240; }, 3000)) << Code();
    EXPECT_EQ(ChapterNow(), 2u);
  }
  QFile::remove(file);
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, FullScreenSwitchesThePictureAndTheWindowsBothWays) {
  TFormDVDPlayer *p = FormDVDPlayer;
  PlayMenuDisc();
  StartTitle(1);
  const QString shots = qEnvironmentVariable("QDVD_FULLSCREEN_SCREENSHOTS");
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  auto fullScreen = [&] {
    TVideoWindow *v = Form3->VideoWindow;
    return v->FullScreen() && v->FullScreenActive() && !p->isVisible() && Form4->isVisible();
  };
  auto windowed = [&] {
    TVideoWindow *v = Form3->VideoWindow;
    return !v->FullScreen() && !v->FullScreenActive() && p->isVisible() && !Form4->isVisible();
  };
  // On by the panel's button, off by the popup; on by the main menu, off by the popup.
  const std::vector<Control> on = {{"button", p->sBitBtn8, {}, {}}, {"main menu", nullptr, {p->OptionsMenu, p->FullscreenMenu}, {}}};
  for (const Control &c : on) {
    SCOPED_TRACE(c.name);
    Playing();
    Graph()->Pause(); // full screen also resumes
    Use(c);
    ASSERT_TRUE(WaitFor(fullScreen)) << "not full screen";
    EXPECT_TRUE(WaitFor([&] { return State() == State_Running; }));
    // The picture fills the screen's height (4:3 on 5:4: the full width).
    QImage whole;
    EXPECT_TRUE(WaitFor([&] {
      whole = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
      return whole.pixelColor(screen.width() / 2, screen.height() / 2).lightness() > 0;
    })) << "no picture in the middle of the screen";
    EXPECT_TRUE(PictureMoves());
    if (!shots.isEmpty() && c.button) whole.save(shots + "/screenshot-fullscreen-on.png");

    ChooseFromPopup({p->Fullscreen2});
    ASSERT_TRUE(WaitFor(windowed)) << "still full screen";
    EXPECT_TRUE(PictureMoves());
    if (!shots.isEmpty() && c.button) {
      QTest::qWait(300);
      const QRect both = p->frameGeometry().united(Form3->frameGeometry()).adjusted(-12, -12, 12, 12);
      QGuiApplication::primaryScreen()->grabWindow(0, both.x(), both.y(), both.width(), both.height())
          .save(shots + "/screenshot-fullscreen-off.png");
    }
  }
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(CommandsDisplayTest, TheDriveTrayButtonLeavesTheDiscPlaying) {
  PlayMenuDisc();
  StartTitle(1);
  Playing();
  Use({"button", FormDVDPlayer->sBitBtn11, {}, {}});
  QTest::qWait(200);
  EXPECT_EQ(State(), State_Running);
  EXPECT_TRUE(PictureMoves());
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

} // namespace
