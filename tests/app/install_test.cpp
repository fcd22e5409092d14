// The player installed like a desktop program into a prefix of its own: what the
// install puts where (the menu entry passes the desktop's validator, the icon exists at
// each size), and the installed launcher started from another folder by a user who
// cannot write the program folder: the skinned control panel, an authored disc playing
// from its menu, a bookmark saved into and restored from the user's data folder, and
// nothing written into the program folder.
#include "support/fixtures.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <unistd.h>

namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The user a test run as root starts the player as: root may write any folder.
constexpr uid_t kNobody = 65534;

// Runs a program to its end; its exit code (-1 when it could not run), output in `out`.
int RunTool(const QString &program, const QStringList &args, QString *out = nullptr, int ms = 120000) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForStarted(10000) || !p.waitForFinished(ms)) return -1;
  if (out) *out = QString::fromLocal8Bit(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Every file and folder under `dir` with its size, time and permissions.
QStringList Snapshot(const QString &dir) {
  QStringList all;
  QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo f(it.next());
    all << QString("%1 %2 %3 %4")
               .arg(QDir(dir).relativeFilePath(f.filePath()))
               .arg(f.isDir() ? 0 : f.size())
               .arg(f.lastModified().toMSecsSinceEpoch())
               .arg(int(f.permissions()), 0, 16);
  }
  const QFileInfo top(dir);
  all << QString(". %1 %2").arg(top.lastModified().toMSecsSinceEpoch()).arg(int(top.permissions()), 0, 16);
  all.sort();
  return all;
}

bool CopyTree(const QString &from, const QString &to) {
  if (!QDir().mkpath(to)) return false;
  for (const QFileInfo &f : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
    const QString target = QDir(to).filePath(f.fileName());
    if (f.isDir() ? !CopyTree(f.filePath(), target) : !QFile::copy(f.filePath(), target)) return false;
  }
  return true;
}

void SetReadOnly(const QString &dir) {
  QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  QStringList paths;
  while (it.hasNext()) paths << it.next();
  paths << dir;
  for (const QString &p : paths) {
    QFile::Permissions perms = QFile::permissions(p);
    perms &= ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther);
    QFile::setPermissions(p, perms);
  }
}

// A folder the player's user may write: made, and given to that user when the test runs
// as root.
bool UserFolder(const QString &path, QFile::Permissions perms) {
  if (!QDir().mkpath(path) || !QFile::setPermissions(path, perms)) return false;
  return geteuid() != 0 || chown(path.toLocal8Bit().constData(), kNobody, kNobody) == 0;
}

class InstallTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    prefix_ = tmp_.filePath("prefix");
    QString out;
    ASSERT_EQ(RunTool(QStringLiteral(QDVD_CMAKE), {"--install", QStringLiteral(QDVD_BUILD_DIR), "--prefix", prefix_}, &out), 0)
        << out.toStdString();
    programDir_ = prefix_ + "/lib/quovadel-dvd";
  }

  QString Installed(const QString &relative) const { return prefix_ + "/" + relative; }

  QTemporaryDir tmp_;
  QString prefix_, programDir_;
};

TEST_F(InstallTest, TheProgramItsSkinsTheLauncherTheMenuEntryAndTheIconGoWhereTheDesktopLooks) {
  // The executable and its skins together, so that it finds "temi" beside itself.
  EXPECT_TRUE(QFileInfo(programDir_ + "/QuovadelDVD").isExecutable());
  EXPECT_TRUE(QFileInfo::exists(programDir_ + "/temi/cappuccino/skin.ini"));
  EXPECT_TRUE(QFileInfo::exists(programDir_ + "/temi/cappuccino/BUTTON.qss"));
  EXPECT_TRUE(QFileInfo(Installed("bin/quovadel-dvd")).isExecutable());

  const QString entry = Installed("share/applications/quovadel-dvd.desktop");
  ASSERT_TRUE(QFileInfo::exists(entry));
  QString report;
  EXPECT_EQ(RunTool("desktop-file-validate", {entry}, &report), 0) << "desktop-file-validate: " << report.toStdString();
  EXPECT_TRUE(report.trimmed().isEmpty()) << report.toStdString();
  QFile file(entry);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  auto value = [&](const QString &key) {
    for (const QString &line : lines)
      if (line.startsWith(key + "=")) return line.mid(key.size() + 1);
    return QString();
  };
  EXPECT_EQ(value("Type"), "Application");
  EXPECT_EQ(value("Name"), "Quovadel DVD");
  EXPECT_EQ(value("Exec").split(' ').first(), "quovadel-dvd") << "the entry starts the installed launcher";
  EXPECT_EQ(value("Icon"), "quovadel-dvd");
  const QStringList categories = value("Categories").split(';', Qt::SkipEmptyParts);
  for (const char *c : {"AudioVideo", "Video", "Player"}) EXPECT_TRUE(categories.contains(c)) << c;
  EXPECT_TRUE(value("MimeType").split(';').contains("x-content/video-dvd")) << "offered when a DVD is inserted";

  for (int n : kIconSizes) {
    const QString icon = Installed(QString("share/icons/hicolor/%1x%1/apps/quovadel-dvd.png").arg(n));
    QImage image(icon);
    ASSERT_FALSE(image.isNull()) << icon.toStdString();
    EXPECT_EQ(image.size(), QSize(n, n)) << icon.toStdString();
    EXPECT_TRUE(image.hasAlphaChannel()) << icon.toStdString();
    // A round disc: the corners are clear, the middle ring is drawn.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << n;
    EXPECT_EQ(qAlpha(image.pixel(n * 3 / 4, n / 4)), 255) << n;
  }
}

// The installed player on the real display, started by a user who cannot write the
// program folder.
class InstalledPlayerTest : public InstallTest {
protected:
  void SetUp() override {
    NEEDS_DISPLAY();
    NEEDS(QGuiApplication::platformName() == "xcb") << "not on an X display";
    NEEDS(RunTool("xdotool", {"version"}) == 0) << "xdotool is missing";
    const QString disc = QString::fromStdString(FixturePath("ntsc_menu"));
    NEEDS(QFileInfo::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO")) << "no test discs in " << FixtureDir();
    InstallTest::SetUp();
    if (HasFatalFailure()) return;

    // Everything the player's user reads lives in the temporary folder, open to it.
    ASSERT_TRUE(QFile::setPermissions(tmp_.path(), QFile::Permissions(0x7755)));
    disc_ = tmp_.filePath("disc");
    ASSERT_TRUE(CopyTree(disc, disc_));
    SetReadOnly(programDir_);
    before_ = Snapshot(programDir_);
    dataHome_ = tmp_.filePath("data");
    elsewhere_ = tmp_.filePath("elsewhere");
    ASSERT_TRUE(UserFolder(dataHome_, QFile::Permissions(0x7700)));
    ASSERT_TRUE(UserFolder(tmp_.filePath("home"), QFile::Permissions(0x7700)));
    ASSERT_TRUE(UserFolder(tmp_.filePath("runtime"), QFile::Permissions(0x7700)));
    ASSERT_TRUE(UserFolder(elsewhere_, QFile::Permissions(0x7700)));
  }

  void TearDown() override {
    if (player_.state() != QProcess::NotRunning) {
      player_.kill();
      player_.waitForFinished(10000);
    }
    if (!tmp_.path().isEmpty()) RunTool("chmod", {"-R", "u+w", tmp_.path()});
  }

  void Start() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", tmp_.filePath("home"));
    env.insert("XDG_DATA_HOME", dataHome_);
    env.insert("XDG_RUNTIME_DIR", tmp_.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DVD_DEVICE", disc_);
    // The leak report needs the suppression file, which the player's user may not be
    // able to read; the program's exit code still reports any sanitizer error.
    env.remove("LSAN_OPTIONS");
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    player_.setProcessEnvironment(env);
    player_.setWorkingDirectory(elsewhere_);
    player_.setProcessChannelMode(QProcess::MergedChannels);
    const QString launcher = Installed("bin/quovadel-dvd");
    if (geteuid() == 0)
      player_.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "--", launcher});
    else
      player_.start(launcher, {});
    ASSERT_TRUE(player_.waitForStarted(10000));
  }

  QString Output() { return output_ += QString::fromLocal8Bit(player_.readAll()); }

  // The player's visible windows whose title contains `name` (empty: all of them).
  QStringList Windows(const QString &name = QString()) {
    QString out;
    RunTool("xdotool", {"search", "--all", "--onlyvisible", "--pid", QString::number(player_.processId()), "--name",
                    name.isEmpty() ? QStringLiteral(".*") : name},
        &out, 10000);
    return out.split('\n', Qt::SkipEmptyParts);
  }
  WId Window(const QString &name) {
    QStringList found;
    if (!WaitFor([&] { return !(found = Windows(name)).isEmpty(); }, 30000)) return 0;
    return found.first().toULongLong();
  }
  static QImage Grab(WId window) { return QGuiApplication::primaryScreen()->grabWindow(window).toImage(); }

  // Keys through the menu bar: each key but the last opens one more menu level.
  void Menu(const QStringList &keys) {
    ASSERT_EQ(RunTool("xdotool", {"windowactivate", "--sync", QString::number(panel_)}), 0);
    const int shown = Windows().size();
    for (int i = 0; i < keys.size(); ++i) {
      ASSERT_EQ(RunTool("xdotool", {"key", "--clearmodifiers", keys[i]}), 0);
      if (i + 1 < keys.size()) {
        ASSERT_TRUE(WaitFor([&] { return Windows().size() >= shown + i + 1; }, 5000))
            << "the menu did not open at " << keys[i].toStdString();
      }
    }
    ASSERT_TRUE(WaitFor([&] { return Windows().size() <= shown; }, 5000)) << "the menus did not close";
  }

  // The skin's button edge (#7a5535): the plain buttons have none.
  static int SkinnedEdgePixels(const QImage &image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        n += qAbs(c.red() - 0x7a) <= 3 && qAbs(c.green() - 0x55) <= 3 && qAbs(c.blue() - 0x35) <= 3;
      }
    return n;
  }
  // The disc's title menu is blue all over.
  static bool MostlyBlue(const QImage &image) {
    int blue = 0, all = 0;
    for (int y = 0; y < image.height(); y += 4)
      for (int x = 0; x < image.width(); x += 4, ++all) {
        const QColor c = image.pixelColor(x, y);
        blue += c.blue() > c.red() + 50 && c.blue() > c.green() + 50;
      }
    return all && blue * 2 > all;
  }
  // Title 1's pictures carry an orange disc; the menus have none.
  static bool ShowsTheTitle(const QImage &image) {
    int orange = 0, all = 0;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2, ++all) {
        const QColor c = image.pixelColor(x, y);
        orange += c.red() > 200 && c.green() > 100 && c.green() < 190 && c.blue() < 90;
      }
    return all && orange * 20 > all;
  }
  // The picture holds still (stopped) for a while.
  bool HoldsStill(WId window) {
    QImage last = Grab(window);
    int same = 0;
    return WaitFor([&] {
      const QImage now = Grab(window);
      same = now == last ? same + 1 : 0;
      last = now;
      return same >= 10;
    });
  }
  bool Moves(WId window) {
    const QImage first = Grab(window);
    return WaitFor([&] { return Grab(window) != first; }, 5000);
  }

  QString disc_, dataHome_, elsewhere_;
  QStringList before_;
  QProcess player_;
  QString output_;
  WId panel_ = 0, show_ = 0;
};

TEST_F(InstalledPlayerTest, StartsFromAnotherFolderSkinnedPlaysAndKeepsTheBookmarkInTheDataFolder) {
  Start();
  panel_ = Window("Control Panel");
  ASSERT_NE(panel_, 0u) << "no control panel: " << Output().toStdString();
  show_ = Window("DVD Show");
  ASSERT_NE(show_, 0u) << "no video show window: " << Output().toStdString();

  // The skin was found beside the installed executable.
  EXPECT_TRUE(WaitFor([&] { return SkinnedEdgePixels(Grab(panel_)) > 300; }))
      << "the control panel is not skinned: " << SkinnedEdgePixels(Grab(panel_)) << " edge pixels";

  // DVD > Play: the disc's title menu shows; its first button starts title 1.
  Menu({"alt+d", "p"});
  ASSERT_TRUE(WaitFor([&] { return MostlyBlue(Grab(show_)); }, 30000)) << "the title menu does not show";
  const QImage menu = Grab(show_);
  ASSERT_EQ(RunTool("xdotool", {"mousemove", "--window", QString::number(show_), QString::number(menu.width() / 2),
                            QString::number(menu.height() * 31 / 100), "click", "1"}),
            0);
  ASSERT_TRUE(WaitFor([&] { return ShowsTheTitle(Grab(show_)); })) << "title 1 does not start";
  ASSERT_TRUE(Moves(show_)) << "the picture does not move";
  const int windows = Windows().size();

  // Opzioni > Punti di lettura > Salva punto: a compound file in the data folder.
  const QString bookmark = dataHome_ + "/quovadel-dvd/bookmark.bmk";
  Menu({"alt+o", "p", "s"});
  const QByteArray signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  QFile file(bookmark);
  ASSERT_TRUE(WaitFor([&] {
    if (!file.open(QIODevice::ReadOnly)) return false;
    const bool whole = file.size() >= 512 && file.read(8) == signature;
    file.close();
    return whole;
  })) << "no bookmark in " << bookmark.toStdString() << ": " << Output().toStdString();

  // DVD > Stop, then Ripristina punto: title 1 plays again from the saved point.
  Menu({"alt+d", "s"});
  ASSERT_TRUE(HoldsStill(show_)) << "Stop did not stop the picture";
  Menu({"alt+o", "p", "r"});
  EXPECT_TRUE(WaitFor([&] { return ShowsTheTitle(Grab(show_)); })) << "the restored title does not show";
  EXPECT_TRUE(Moves(show_)) << "the restored title does not play";
  EXPECT_EQ(Windows().size(), windows) << "a message showed: " << Output().toStdString();

  // File > Esci ends the program.
  Menu({"alt+f", "e"});
  ASSERT_TRUE(player_.state() == QProcess::NotRunning || player_.waitForFinished(30000)) << "the player did not end";
  EXPECT_EQ(player_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player_.exitCode(), 0) << Output().toStdString();

  EXPECT_EQ(Snapshot(programDir_), before_) << "the program folder changed";
  EXPECT_TRUE(QDir(elsewhere_).isEmpty()) << "the player wrote into the folder it was started from";
}

} // namespace
