// The control panel's chapter, title and time labels, fed by events queued into the
// playing graph as the navigator queues them.
#include "play_fixture.h"

#include "framework/label.h"

namespace {

// The event's first parameter: hours, minutes, seconds, frames from the lowest byte.
LONG_PTR Hmsf(unsigned h, unsigned m, unsigned s, unsigned f) { return LONG_PTR(h | m << 8 | s << 16 | f << 24); }

class StatusLabelsTest : public PlayTest {
protected:
  QString Chapter() { return FormDVDPlayer->Labelcap->Caption(); }
  QString Title() { return FormDVDPlayer->Labeltit->Caption(); }
  QString Time() { return FormDVDPlayer->Labeltime->Caption(); }
  // A label shows its whole text.
  void ExpectUnclipped(TsLabel *label) {
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
  }
};

TEST_F(StatusLabelsTest, TheLabelsShowTheirDesignCaptionsUntilTheFirstEvents) {
  EXPECT_EQ(Chapter(), "Capitolo:");
  EXPECT_EQ(Title(), "Titolo:");
  EXPECT_EQ(Time(), "Tempo:");
  dvd.script.renderResult = S_FALSE; // a render that fails changes nothing
  Play();
  EXPECT_EQ(Chapter(), "Capitolo:");
  EXPECT_EQ(Title(), "Titolo:");
  EXPECT_EQ(Time(), "Tempo:");
}

TEST_F(StatusLabelsTest, TitleAndChapterEventsWriteTheNumbers) {
  PlayingDisc();
  Event(EC_DVD_TITLE_CHANGE, 0);
  Event(EC_DVD_CHAPTER_START, 12);
  EXPECT_EQ(Title(), "Titolo: 0");
  EXPECT_EQ(Chapter(), "Capitolo: 12");
  ExpectUnclipped(FormDVDPlayer->Labelcap);

  Event(EC_DVD_TITLE_CHANGE, -3);
  Event(EC_DVD_CHAPTER_START, -1);
  EXPECT_EQ(Title(), "Titolo: -3");
  EXPECT_EQ(Chapter(), "Capitolo: -1");
  // The number is the parameter's low 32 bits, signed.
  Event(EC_DVD_TITLE_CHANGE, LONG_PTR(0xFFFFFFFEu));
  EXPECT_EQ(Title(), "Titolo: -2");
  Event(EC_DVD_CHAPTER_START, 2147483647);
  EXPECT_EQ(Chapter(), "Capitolo: 2147483647");
  // Several events in one burst: the last one shows.
  ComPtr<IMediaEventSink> sink;
  ASSERT_EQ(Graph()->QueryInterface(IID_PPV_ARGS(&sink)), S_OK);
  sink->Notify(EC_DVD_TITLE_CHANGE, 1, 0);
  sink->Notify(EC_DVD_TITLE_CHANGE, 2, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(Title(), "Titolo: 2");
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(StatusLabelsTest, TimeEventsWriteHoursMinutesAndSecondsWithoutFrames) {
  PlayingDisc();
  const std::pair<LONG_PTR, const char *> cases[] = {
      {Hmsf(0, 5, 7, 0), "Tempo: 0:5:7"},
      {Hmsf(1, 23, 45, 29), "Tempo: 1:23:45"},
      {Hmsf(0, 0, 9, 24), "Tempo: 0:0:9"},
      {Hmsf(200, 128, 255, 255), "Tempo: 200:128:255"}, // unsigned bytes
  };
  for (const auto &[value, text] : cases) {
    Event(EC_DVD_CURRENT_HMSF_TIME, value, 0x01234567); // the packed time code is not shown
    EXPECT_EQ(Time(), text);
    ExpectUnclipped(FormDVDPlayer->Labeltime);
  }
}

TEST_F(StatusLabelsTest, TheLabelsKeepTheirLastValuesAfterStopAndAFailedOpen) {
  PlayingDisc();
  Event(EC_DVD_TITLE_CHANGE, 2);
  Event(EC_DVD_CHAPTER_START, 3);
  Event(EC_DVD_CURRENT_HMSF_TIME, Hmsf(0, 1, 4, 10));
  const QStringList last = {Chapter(), Title(), Time()};
  ASSERT_EQ(last, (QStringList{"Capitolo: 3", "Titolo: 2", "Tempo: 0:1:4"}));

  Graph()->Stop();
  QCoreApplication::processEvents();
  EXPECT_EQ((QStringList{Chapter(), Title(), Time()}), last);

  dvd.script.renderResult = S_FALSE;
  dvd.script.status.bDvdVolInvalid = TRUE;
  Open("/media/other/VIDEO_TS/VIDEO_TS.IFO");
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ((QStringList{Chapter(), Title(), Time()}), last);
}

} // namespace
