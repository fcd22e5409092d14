// A disc that fails while it plays: the person is told once, with the platform's
// reason; the labels and the graph stay as they were.
#include "play_fixture.h"

#include "framework/label.h"

namespace {

const QString kReadFailure = QString::fromUtf8("Impossibile leggere il disco: la riproduzione si è fermata.\n"
                                               "Reading from the disc or file failed.");

const QString kScrambled = QString::fromUtf8(
    "Questo disco è protetto (CSS) e la libreria libdvdcss non è installata: non può essere riprodotto.");

class DiscFailureTest : public PlayTest {
protected:
  QString Labels() {
    return FormDVDPlayer->Labelcap->Caption() + "|" + FormDVDPlayer->Labeltit->Caption() + "|" +
           FormDVDPlayer->Labeltime->Caption();
  }
  void PlayingChapter(LONG chapter) {
    Event(EC_DVD_TITLE_CHANGE, 1);
    Event(EC_DVD_CHAPTER_START, chapter);
    Event(EC_DVD_CURRENT_HMSF_TIME, LONG_PTR(0 | 0 << 8 | 7 << 16));
  }
};

TEST_F(DiscFailureTest, AReadFailureIsToldOnceWithItsReasonAndTheLabelsAndGraphStay) {
  PlayingDisc();
  PlayingChapter(2);
  const QString before = Labels();
  ASSERT_EQ(before, "Capitolo: 2|Titolo: 1|Tempo: 0:0:7");

  // The navigator stops: read warning, unexpected error, then the abort with its reason.
  Event(EC_DVD_WARNING, DVD_WARNING_Read);
  Event(EC_DVD_ERROR, DVD_ERROR_Unexpected);
  Event(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, kReadFailure);
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, unsigned(MB_OK | MB_ICONERROR));

  // More failing reads of the same stop, and a decoder giving up on its stream, are
  // the same failure.
  Event(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  Event(EC_ERRORABORT, E_FAIL);
  Event(EC_DVD_CURRENT_HMSF_TIME, LONG_PTR(0 | 0 << 8 | 7 << 16));
  EXPECT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(Labels(), before);
  EXPECT_TRUE(Graph()->Active());
  EXPECT_FALSE(Application().Terminated());
}

TEST_F(DiscFailureTest, PlaybackThatStartsAgainAndFailsAgainIsToldAgain) {
  PlayingDisc();
  PlayingChapter(1);
  Event(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  ASSERT_EQ(dialogs->messages.size(), 1u);
  // Play tried again: the graph is the same one and plays.
  trace.clear();
  Play();
  EXPECT_TRUE(Graph()->Active());
  EXPECT_EQ(dialogs->messages.size(), 1u);
  PlayingChapter(1);
  // The folder was taken away meanwhile: the reason changes.
  Event(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_TRUE(dialogs->messages[1].text.endsWith("\nThe folder could not be found.")) << dialogs->messages[1].text.toStdString();
  // A new graph re-arms it as well.
  Open("/discs/other/VIDEO_TS/VIDEO_TS.IFO");
  Event(EC_ERRORABORT, HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  EXPECT_EQ(dialogs->messages.size(), 3u);
}

// The navigator meets a scrambled pack each time it is asked to play the disc: the
// person hears of it once for the disc's graph, and again only for a new graph.
TEST_F(DiscFailureTest, AScrambledDiscIsToldOncePerGraph) {
  PlayingDisc();
  Event(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, kScrambled);
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, unsigned(MB_OK | MB_ICONERROR));
  Event(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail);
  Play();
  Event(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail);
  EXPECT_EQ(dialogs->messages.size(), 1u);
  EXPECT_TRUE(Graph()->Active());
  Open("/discs/other/VIDEO_TS/VIDEO_TS.IFO");
  Event(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail);
  EXPECT_EQ(dialogs->messages.size(), 2u);
}

} // namespace
