// The saved playback point on the authored discs, through the player's menu items:
// what restoring brings back (title, chapter, time, the sound heard, subtitles), the
// file other compound-file readers see, another disc's bookmark, and files and saves
// that must not do harm.
#include "display_fixture.h"

#include "dshow/uuids.h"
#include "engine/check_result.h"
#include "win/storage.h"

#include <QCoreApplication>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

// Share of the signal's energy at `freq` (48 kHz samples).
double ToneShare(const std::vector<float> &v, double freq) {
  const double w = 2 * M_PI * freq / 48000, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  for (float x : v) {
    const double s = x + c * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += static_cast<double>(x) * x;
  }
  return energy > 0 ? 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (v.size() * energy) : 0;
}

std::string Output(const std::string &command) {
  std::string out;
  if (FILE *p = popen((command + " 2>&1").c_str(), "r")) {
    char line[4096];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
  }
  return out;
}

QByteArray Bytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// A compound file with one stream.
void WriteCompound(const QString &path, const char16_t *stream, const QByteArray &bytes) {
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateDocfile(path.toStdU16String().c_str(), STGM_CREATE | STGM_WRITE, 0, &storage), S_OK);
  ComPtr<IStream> s;
  ASSERT_EQ(storage->CreateStream(stream, STGM_CREATE | STGM_WRITE, 0, 0, &s), S_OK);
  ASSERT_EQ(s->Write(bytes.constData(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
}

class BookmarkTest : public PlayDisplayTest {
protected:
  void SetUp() override {
    sound_ = QDir::temp().filePath(QString("qdvd-bookmark-sound-%1.raw").arg(QCoreApplication::applicationPid()));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", sound_.toLocal8Bit());
    qunsetenv("SDL_DISKAUDIODELAY");
    QFile::remove(File());
    PlayDisplayTest::SetUp();
  }
  void TearDown() override {
    PlayDisplayTest::TearDown();
    QFile::remove(File());
    QFile::remove(sound_);
    qputenv("SDL_AUDIODRIVER", "dummy");
  }

  // The bookmark file beside the program.
  static QString File() { return QCoreApplication::applicationDirPath() + "/bookmark.bmk"; }
  void Save() { FormDVDPlayer->SavebookmarkMenu->trigger(); }
  void Restore() { FormDVDPlayer->RestorebookmarkMenu->trigger(); }

  struct Place {
    ULONG title = 0, chapter = 0;
    double seconds = -1;
  };
  Place Where() {
    Place p;
    DVD_PLAYBACK_LOCATION2 loc{};
    ComPtr<IDvdInfo2> info = Query<IDvdInfo2>();
    if (!info || FAILED(info->GetCurrentLocation(&loc))) return p;
    p.title = loc.TitleNum;
    p.chapter = loc.ChapterNum;
    const double fps = (loc.TimeCodeFlags & DVD_TC_FLAG_25fps) ? 25 : 30;
    p.seconds = loc.TimeCode.bHours * 3600.0 + loc.TimeCode.bMinutes * 60 + loc.TimeCode.bSeconds +
                loc.TimeCode.bFrames / fps;
    return p;
  }
  ULONG Audio() {
    ULONG available = 0, current = 99;
    Query<IDvdInfo2>()->GetCurrentAudio(&available, &current);
    return current;
  }
  bool SubtitlesOn() {
    ULONG available = 0, current = 0;
    BOOL disabled = TRUE;
    Query<IDvdInfo2>()->GetCurrentSubpicture(&available, &current, &disabled);
    return !disabled;
  }
  void Chapter(ULONG chapter) {
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(Query<IDvdControl2>()->PlayChapterInTitle(1, chapter, 0, &cmd), S_OK);
    ASSERT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Where().chapter == chapter; })) << Where().chapter;
  }
  void Streams(ULONG audio, bool subtitles) {
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->SelectAudioStream(audio, 0, &cmd), S_OK);
    ASSERT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_EQ(dvd->SetSubpictureState(subtitles, 0, &cmd), S_OK);
    ASSERT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Audio() == audio && SubtitlesOn() == subtitles; }));
  }
  // Half a second of the left channel heard from `offset` bytes into the sound file on
  // (waits for it to be written).
  std::vector<float> Heard(qint64 offset) {
    const qint64 want = offset + 48000 / 2 * 8;
    WaitFor([&] { return QFileInfo(sound_).size() >= want; }, 5000);
    const QByteArray bytes = Bytes(sound_);
    std::vector<float> left;
    for (qint64 at = offset; at + 8 <= bytes.size() && left.size() < 24000; at += 8) {
      float frame[2];
      std::memcpy(frame, bytes.constData() + at, sizeof frame);
      left.push_back(frame[0]);
    }
    return left;
  }
  qint64 SoundSize() { return QFileInfo(sound_).size() / 8 * 8; }

  QString sound_;
};

TEST_F(BookmarkTest, RestoringAfterStopBringsBackThePlaceTheSoundAndTheSubtitles) {
  PlayMenuDisc();
  StartTitle(1);
  Chapter(2);
  Streams(1, true);
  ASSERT_TRUE(WaitFor([&] { return Where().seconds >= 5.0; })) << Where().seconds;
  const Place saved = Where();
  Save();
  ASSERT_EQ(saved.chapter, 2u);
  ASSERT_TRUE(QFile::exists(File()));

  // Another compound-file reader sees one stream "BookMark", starting with the class of
  // the navigator's state objects.
  const std::string listing = Output("/usr/bin/python3 -c \"import olefile,sys; o=olefile.OleFileIO(sys.argv[1]); "
                                  "print(o.listdir()); print(o.openstream('BookMark').read(16).hex())\" '" +
                                  File().toStdString() + "'");
  char clsid[33];
  const CLSID &c = CLSID_DVDState;
  std::snprintf(clsid, sizeof clsid, "%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x%02x",
                c.Data1 & 0xFF, c.Data1 >> 8 & 0xFF, c.Data1 >> 16 & 0xFF, c.Data1 >> 24, c.Data2 & 0xFF, c.Data2 >> 8,
                c.Data3 & 0xFF, c.Data3 >> 8, c.Data4[0], c.Data4[1], c.Data4[2], c.Data4[3], c.Data4[4], c.Data4[5],
                c.Data4[6], c.Data4[7]);
  EXPECT_EQ(listing, "[['BookMark']]\n" + std::string(clsid) + "\n");

  // Elsewhere, with the other sound and no subtitles, then stopped.
  Chapter(1);
  Streams(0, false);
  FormDVDPlayer->StopMenu->trigger();
  ASSERT_TRUE(WaitFor([&] {
    OAFilterState s = State_Running;
    return SUCCEEDED(Query<IMediaControl>()->GetState(0, &s)) && s == State_Stopped;
  }));

  Restore();
  // The time is that of the picture on the screen: once the first one after the jump.
  ASSERT_TRUE(WaitFor([&] { return Where().seconds > 0; }, 3000));
  const Place back = Where();
  EXPECT_EQ(back.title, 1u);
  EXPECT_EQ(back.chapter, 2u);
  EXPECT_NEAR(back.seconds, saved.seconds, 1.0);
  EXPECT_EQ(Audio(), 1u);
  EXPECT_TRUE(SubtitlesOn());
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();

  // What is heard from then on is the second stream's 880 Hz tone.
  std::vector<float> heard = Heard(SoundSize() + 48000 / 5 * 8); // past the first 0.2 s
  ASSERT_GE(heard.size(), 12000u);
  EXPECT_GT(ToneShare(heard, 880), 0.8) << "440 Hz share " << ToneShare(heard, 440);
  EXPECT_LT(ToneShare(heard, 440), 0.1);
}

TEST_F(BookmarkTest, SavingAgainReplacesTheFileAndRestoringGoesToTheLatestSave) {
  PlayMenuDisc();
  StartTitle(1);
  Chapter(2);
  Save();
  const QByteArray first = Bytes(File());
  ASSERT_FALSE(first.isEmpty());
  Chapter(3);
  ASSERT_TRUE(WaitFor([&] { return Where().seconds >= 8.5; }));
  const Place later = Where();
  Save();
  EXPECT_NE(Bytes(File()), first);
  EXPECT_TRUE(QDir(QCoreApplication::applicationDirPath()).entryList({"bookmark.bmk*"}, QDir::Files) ==
              QStringList{"bookmark.bmk"});
  Chapter(1);
  Restore();
  ASSERT_TRUE(WaitFor([&] { return Where().seconds > 0; }, 3000));
  EXPECT_EQ(Where().chapter, 3u);
  EXPECT_NEAR(Where().seconds, later.seconds, 1.0);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(BookmarkTest, AnotherDiscsBookmarkIsRefusedWithTheNavigatorsErrorAndPlaybackGoesOn) {
  PlayMenuDisc();
  StartTitle(1);
  Chapter(2);
  Save();
  ASSERT_TRUE(QFile::exists(File()));

  Choose(Disc("pal_wide") + "/VIDEO_TS/VIDEO_TS.IFO");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title && Where().seconds >= 0.5; }));
  const Place before = Where();
  Restore();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, ErrorMessage(VFW_E_DVD_STATE_WRONG_DISC));
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, unsigned(MB_OK | MB_ICONERROR));
  const Place after = Where();
  EXPECT_EQ(after.title, 1u);
  EXPECT_GE(after.seconds, before.seconds);
  EXPECT_LT(after.seconds, before.seconds + 1.5);
  EXPECT_TRUE(PictureMoves());
}

TEST_F(BookmarkTest, FilesThatHoldNoBookmarkOfOursChangeNothingAndRaiseNothing) {
  // Nothing to save without a disc: no file appears.
  Save();
  EXPECT_FALSE(QFile::exists(File()));

  PlayMenuDisc();
  StartTitle(1);
  Chapter(2);
  Save();
  const QByteArray good = Bytes(File());
  ASSERT_FALSE(good.isEmpty());
  Chapter(1);

  QByteArray noise(4096, 0);
  for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 131 + 7);
  const std::vector<std::pair<const char *, QByteArray>> files = {
      {"missing", {}},
      {"empty", QByteArray()},
      {"random", noise},
      {"cut to the header", good.left(512)},
      {"cut half way", good.left(good.size() / 2)},
      {"last byte missing", good.left(good.size() - 1)},
  };
  for (const auto &[what, bytes] : files) {
    SCOPED_TRACE(what);
    QFile::remove(File());
    if (std::string(what) != "missing") WriteBytes(File(), bytes);
    const Place before = Where();
    ASSERT_EQ(before.chapter, 1u);
    Restore();
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    const Place after = Where();
    EXPECT_EQ(after.chapter, 1u);
    EXPECT_GE(after.seconds, before.seconds);
    EXPECT_LT(after.seconds, before.seconds + 1.0);
  }
  // Compound files without our stream or with something else in it.
  QFile::remove(File());
  WriteCompound(File(), u"Other", good);
  Restore();
  QFile::remove(File());
  WriteCompound(File(), u"BookMark", noise);
  Restore();
  QFile::remove(File());
  WriteCompound(File(), u"BookMark", QByteArray());
  Restore();
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
  EXPECT_EQ(Where().chapter, 1u);
  // The state itself damaged inside an intact compound file.
  {
    QByteArray damaged = good;
    const int at = damaged.indexOf("QDVS"); // the state record's mark
    ASSERT_GT(at, 0);
    damaged[at + 12] = static_cast<char>(damaged[at + 12] ^ 0x5A);
    WriteBytes(File(), damaged);
    Restore();
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    EXPECT_EQ(Where().chapter, 1u);
  }
  EXPECT_EQ(Domain(), DVD_DOMAIN_Title);
}

TEST_F(BookmarkTest, ASaveThatCannotBeWrittenKeepsTheEarlierFileByteForByte) {
  PlayMenuDisc();
  StartTitle(1);
  Chapter(2);
  Save();
  const QByteArray good = Bytes(File());
  ASSERT_FALSE(good.isEmpty());
  Chapter(3);

  // The disk fills up: no file of this process may grow past 1 KiB while saving.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &before);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Save();
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &before, nullptr);

  EXPECT_EQ(Bytes(File()), good);
  EXPECT_EQ(QDir(QCoreApplication::applicationDirPath()).entryList({"bookmark.bmk*"}, QDir::Files),
            QStringList{"bookmark.bmk"});
  EXPECT_TRUE(dialogs->messages.empty());
  // The kept bookmark still works.
  Restore();
  EXPECT_EQ(Where().chapter, 2u);
}

} // namespace
