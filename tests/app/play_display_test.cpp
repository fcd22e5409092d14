// The player on the real platform and a real display, with the authored discs: Play
// and Open start the picture in the video show window and fill the status labels; a
// folder that is no DVD and a missing disc give their messages. With
// QDVD_PLAYING_SCREENSHOT set, the playing windows are saved there as a picture.
#include "display_fixture.h"

namespace {

TEST_F(PlayDisplayTest, PlayStartsTheDiscInTheVideoWindowAndTheLabelsFollowIt) {
  EXPECT_FALSE(Form3->isVisible());
  PlayMenuDisc();
  StartTitle(1);
  EXPECT_TRUE(PictureMoves()) << "the title's picture does not move";

  EXPECT_TRUE(WaitFor([&] { return Title() == "Titolo: 1" && Chapter() == "Capitolo: 1"; }))
      << Title().toStdString() << " / " << Chapter().toStdString();
  // The time advances a second at a time (a busy machine may deliver two at once).
  std::vector<int> seen;
  WaitFor([&] {
    const int s = Seconds(Time());
    if (s >= 0 && (seen.empty() || s != seen.back())) seen.push_back(s);
    return seen.size() >= 4;
  });
  ASSERT_GE(seen.size(), 4u) << Time().toStdString();
  bool single = false;
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_GT(seen[i], seen[i - 1]) << "the time went back";
    single = single || seen[i] - seen[i - 1] == 1;
  }
  EXPECT_TRUE(single) << "the time never advanced by one second";

  if (const QByteArray out = qgetenv("QDVD_PLAYING_SCREENSHOT"); !out.isEmpty()) {
    const QRect both = FormDVDPlayer->frameGeometry().united(Form3->frameGeometry()).adjusted(-12, -12, 12, 12);
    QGuiApplication::primaryScreen()->grabWindow(0, both.x(), both.y(), both.width(), both.height()).save(out);
  }

  // Next chapter from the start of chapter 1 (the title may have reached chapter 2).
  ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayChapterInTitle(1, 1, 0, &cmd), S_OK);
  ASSERT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 1" && Seconds(Time()) < 2; })) << Time().toStdString();
  ASSERT_EQ(dvd->PlayNextChapter(0, &cmd), S_OK);
  EXPECT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 2"; })) << Chapter().toStdString();
  EXPECT_EQ(Title(), "Titolo: 1");
  // Chapter 2 begins 4 s into the title: the time goes on from there, being the
  // title's, not the chapter's (the label may still show the time before the jump).
  EXPECT_TRUE(WaitFor([&] { return Seconds(Time()) >= 2; })) << Time().toStdString();
  EXPECT_GE(Seconds(Time()), 4) << Time().toStdString();
  EXPECT_LE(Seconds(Time()), 6) << Time().toStdString();
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(PlayDisplayTest, PlayWhilePausedResumesThePictureAndBringsItToTheFront) {
  PlayMenuDisc();
  StartTitle(1);
  Graph()->Pause();
  QTest::qWait(300);
  const QImage paused = Picture();
  QTest::qWait(300);
  EXPECT_EQ(Picture(), paused) << "the picture moves while paused";

  // The user brings the control panel over the video window, then presses Play.
  FormDVDPlayer->move(Form3->frameGeometry().center() - QPoint(FormDVDPlayer->width() / 2, 0));
  FormDVDPlayer->raise();
  FormDVDPlayer->activateWindow();
  ASSERT_TRUE(WaitFor([&] { return Above(FormDVDPlayer, Form3); }, 3000)) << "the panel is not in front";
  Press(FormDVDPlayer->sBitBtn1, [&] { return Above(Form3, FormDVDPlayer); });
  EXPECT_TRUE(PictureMoves()) << "the picture does not move again";
  EXPECT_EQ(CountOf(CLSID_DVDNavigator), 1);
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(PlayDisplayTest, OpeningAnotherDiscWhileOnePlaysReplacesIt) {
  PlayMenuDisc();
  ComPtr<IBaseFilter> first;
  ASSERT_EQ(Query<IDvdInfo2>()->QueryInterface(IID_PPV_ARGS(&first)), S_OK);

  // The second disc in a folder whose name is not ASCII, as the user may have it.
  QTemporaryDir dir;
  const QString second = dir.path() + QString::fromUtf8("/Film \u00e8 \u6f22");
  ASSERT_TRUE(QDir().mkpath(second + "/VIDEO_TS"));
  const QString source = Disc("pal_wide") + "/VIDEO_TS/";
  for (const QString &file : QDir(source).entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(source + file, second + "/VIDEO_TS/" + file));

  Choose(second + "/VIDEO_TS/VIDEO_TS.IFO");
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
  // The first navigator left its graph, stopped.
  FILTER_INFO info{};
  ASSERT_EQ(first->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(info.pGraph, nullptr);
  if (info.pGraph) info.pGraph->Release();
  FILTER_STATE state = State_Running;
  first->GetState(0, &state);
  EXPECT_EQ(state, State_Stopped);

  EXPECT_EQ(CountOf(CLSID_DVDNavigator), 1);
  EXPECT_TRUE(Directory().startsWith(second)) << Directory().toStdString();
  EXPECT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title && Title() == "Titolo: 1"; }));
  EXPECT_TRUE(PictureMoves()) << "the second disc's picture does not move";
}

TEST_F(PlayDisplayTest, OpeningAFolderThatIsNoDvdSaysSoAndPlaysNothing) {
  Choose(Disc("not_a_dvd") + "/VIDEO_TS.IFO");
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "The specified DVD volume to be played does not exist.");
  EXPECT_EQ(dialogs->messages[0].caption, "Errore");
  EXPECT_EQ(dialogs->messages[0].flags, unsigned(MB_OK));
  EXPECT_TRUE(Graph()->Active());
  EXPECT_EQ(CountOf(CLSID_DVDNavigator), 0);
  EXPECT_FALSE(Form3->isVisible());
  EXPECT_EQ(Title(), "Titolo:");

  // Play then resumes the empty graph: no second message, nothing rendered, the video
  // window shown.
  qputenv("DVD_DEVICE", Disc("ntsc_menu").toLocal8Bit());
  Press(FormDVDPlayer->sBitBtn1, [] { return Form3->isVisible(); });
  EXPECT_EQ(dialogs->messages.size(), 1u) << dialogs->messages.back().text.toStdString();
  EXPECT_EQ(CountOf(CLSID_DVDNavigator), 0);
  EXPECT_TRUE(Form3->isVisible());
}

TEST_F(PlayDisplayTest, PlayWithoutADiscSaysNoneWasFoundAndStillShowsTheVideoWindow) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  qputenv("DVD_DEVICE", empty.path().toLocal8Bit());
  dvd::SetDriveListForTests({});
  Press(FormDVDPlayer->sBitBtn1, [&] { return !dialogs->messages.empty(); });
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "No DVD volume is specified or isn't found.");
  EXPECT_EQ(dialogs->messages[0].caption, "Errore");
  EXPECT_EQ(CountOf(CLSID_DVDNavigator), 0);
  EXPECT_TRUE(Form3->isVisible());
}

} // namespace
