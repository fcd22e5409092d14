// Dropping volumes on the player's windows on the real display: a separate program drags
// the files (X's own drag and drop), moved by the X server's pointer through xdotool.
#include "display_fixture.h"

#include "app/volume_drops.h"

#include <QDropEvent>

namespace {

// Counts the drag moves a window is offered.
class DragWatch : public QObject {
public:
  explicit DragWatch(QWidget *w) { w->installEventFilter(this); }
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) ++moves;
    return false;
  }
  int moves = 0;
};

class DropsDisplayTest : public PlayDisplayTest {
protected:
  void SetUp() override {
    PlayDisplayTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(tmp_.isValid());
  }

  static void Pointer(const QStringList &args) {
    ASSERT_EQ(QProcess::execute("xdotool", args), 0) << args.join(' ').toStdString();
  }
  static QStringList At(QPoint p) { return {"mousemove", QString::number(p.x()), QString::number(p.y())}; }

  // Drags `file` from the helper program onto `target`'s centre and lets go; returns
  // what the helper says the target did with it ("copy", "ignore").
  QString Drop(const QString &file, QWidget *target) {
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    source.start(QStringLiteral(QDVD_DRAG_SOURCE), {"1100", "900", file});
    QString said;
    auto line = [&](const QString &start) {
      return WaitFor([&] {
        while (source.canReadLine()) said = QString::fromLocal8Bit(source.readLine()).trimmed();
        return said.startsWith(start);
      }, 10000);
    };
    if (!line("ready")) return "helper not ready";
    const QStringList where = said.split(' ');
    const QPoint from(where.value(1).toInt(), where.value(2).toInt());
    const QPoint to = target->mapToGlobal(target->rect().center());
    DragWatch watch(target);
    Pointer(At(from) << "mousedown" << "1");
    if (!line("dragging")) return "no drag";
    // Moves until the target has been offered the drag, and once more over it.
    WaitFor([&] {
      Pointer(At(to + QPoint(watch.moves % 7, 0)));
      return watch.moves >= 1;
    }, 5000);
    Pointer(At(to + QPoint(3, 3)));
    Pointer({"mouseup", "1"});
    if (!line("done")) return "the drag did not end";
    source.waitForFinished(5000);
    return said.mid(5);
  }

  QTemporaryDir tmp_;
};

TEST_F(DropsDisplayTest, TheDiscsFolderAndItsImagePlayFromADrop) {
  // The disc's root folder on the control panel: the title menu in the show window.
  EXPECT_FALSE(Form3->isVisible());
  EXPECT_EQ(Drop(Disc("ntsc_menu"), FormDVDPlayer), "copy");
  ASSERT_TRUE(WaitFor([&] { return Form3->isVisible() && Domain() == DVD_DOMAIN_VideoManagerMenu; }))
      << "the dropped folder does not play";
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
  EXPECT_TRUE(WaitFor([&] { return MostlyBlue(Picture()); })) << "no title menu on the screen";
  StartTitle(1);
  EXPECT_TRUE(PictureMoves());

  // Its image on the show window, while the folder plays: the image takes over.
  const QString iso = Disc("ntsc_menu.iso");
  if (!QFileInfo::exists(iso)) GTEST_SKIP() << "no ISO image (genisoimage missing when the discs were made)";
  EXPECT_EQ(Drop(iso, Form3), "copy");
  EXPECT_TRUE(WaitFor([&] { return Directory().contains("ntsc_menu.iso") && Domain() == DVD_DOMAIN_VideoManagerMenu; }))
      << Directory().toStdString();
  EXPECT_TRUE(WaitFor([&] { return MostlyBlue(Picture()); })) << "no title menu from the image";
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(DropsDisplayTest, ATextFileIsRefusedAndTheDiscPlaysOn) {
  PlayMenuDisc();
  StartTitle(1);
  const QString text = tmp_.filePath("notes.txt");
  QFile f(text);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a disc\n");
  f.close();
  EXPECT_EQ(Drop(text, FormDVDPlayer), "ignore");
  EXPECT_EQ(Drop(text, Form3), "ignore");
  EXPECT_EQ(Domain(), DVD_DOMAIN_Title);
  EXPECT_TRUE(PictureMoves());
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(DropsDisplayTest, AFolderWithoutADiscGetsTheMessageOpenGives) {
  EXPECT_EQ(Drop(tmp_.path(), FormDVDPlayer), "copy");
  ASSERT_TRUE(WaitFor([&] { return !dialogs->messages.empty(); })) << "no message";
  EXPECT_EQ(dialogs->messages[0].text, "The specified DVD volume to be played does not exist.");
  EXPECT_EQ(dialogs->messages[0].caption, "Errore");
  EXPECT_EQ(Domain(), DVD_DOMAIN_Stop);
}

} // namespace
