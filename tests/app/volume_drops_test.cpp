// What a drop may carry to open: the volume's path for a folder, an IFO, a file inside
// VIDEO_TS or an image; nothing for other files, several items or remote ones; and the
// window's answer to the drag.
#include "app/volume_drops.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

namespace {

QMimeData *Carrying(const QList<QUrl> &urls) {
  auto *data = new QMimeData;
  data->setUrls(urls);
  return data;
}
QString VolumeOf(const QList<QUrl> &urls) {
  std::unique_ptr<QMimeData> data(Carrying(urls));
  return DroppedVolume(data.get());
}
QUrl File(const QString &path) { return QUrl::fromLocalFile(path); }

class VolumeDrops : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    root_ = dir_.path() + "/disc";
    ASSERT_TRUE(QDir().mkpath(root_ + "/VIDEO_TS"));
    for (const char *name : {"/VIDEO_TS/VIDEO_TS.IFO", "/VIDEO_TS/VTS_01_1.VOB", "/disc.iso", "/notes.txt",
                             "/other.IFO"})
      Touch(root_ + name);
  }
  static void Touch(const QString &path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  }
  QTemporaryDir dir_;
  QString root_;
};

TEST_F(VolumeDrops, FoldersIfosImagesAndFilesOfVideoTsAreVolumes) {
  EXPECT_EQ(VolumeOf({File(root_)}), root_);
  EXPECT_EQ(VolumeOf({File(root_ + "/")}), root_);
  EXPECT_EQ(VolumeOf({File(root_ + "/VIDEO_TS")}), root_ + "/VIDEO_TS");
  EXPECT_EQ(VolumeOf({File(root_ + "/VIDEO_TS/VIDEO_TS.IFO")}), root_ + "/VIDEO_TS/VIDEO_TS.IFO");
  // Another file of VIDEO_TS opens its folder (the navigator reads folders, IFOs and images).
  EXPECT_EQ(VolumeOf({File(root_ + "/VIDEO_TS/VTS_01_1.VOB")}), root_ + "/VIDEO_TS");
  EXPECT_EQ(VolumeOf({File(root_ + "/other.IFO")}), root_ + "/other.IFO");
  EXPECT_EQ(VolumeOf({File(root_ + "/disc.iso")}), root_ + "/disc.iso");
  // A folder is a volume to try, whatever it holds: Open's messages tell the rest.
  EXPECT_EQ(VolumeOf({File(dir_.path())}), dir_.path());
}

TEST_F(VolumeDrops, OtherFilesSeveralItemsAndWhatIsNotLocalAreRefused) {
  EXPECT_TRUE(VolumeOf({File(root_ + "/notes.txt")}).isEmpty());
  EXPECT_TRUE(VolumeOf({File(root_ + "/missing.iso")}).isEmpty());
  EXPECT_TRUE(VolumeOf({File(root_), File(root_ + "/disc.iso")}).isEmpty());
  EXPECT_TRUE(VolumeOf({QUrl("https://example.invalid/disc.iso")}).isEmpty());
  EXPECT_TRUE(VolumeOf({}).isEmpty());
  QMimeData text;
  text.setText(root_);
  EXPECT_TRUE(DroppedVolume(&text).isEmpty());
  EXPECT_TRUE(DroppedVolume(nullptr).isEmpty());
}

// Without a control panel a drop opens nothing; here the window's answers are looked at.
TEST_F(VolumeDrops, TheWindowTakesAVolumeAndRefusesTheRestWhileDragged) {
  QWidget window;
  new TVolumeDrops(&window);
  EXPECT_TRUE(window.acceptDrops());
  auto enter = [&](const QString &path) {
    std::unique_ptr<QMimeData> data(Carrying({File(path)}));
    QDragEnterEvent e(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &e);
    QDragMoveEvent m(QPoint(6, 6), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &m);
    QDropEvent d(QPointF(6, 6), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &d);
    return std::tuple{e.isAccepted(), m.isAccepted(), d.isAccepted(), d.dropAction()};
  };
  const auto [inFolder, moveFolder, dropFolder, action] = enter(root_);
  EXPECT_TRUE(inFolder);
  EXPECT_TRUE(moveFolder);
  EXPECT_TRUE(dropFolder);
  EXPECT_EQ(action, Qt::CopyAction);
  const auto [inText, moveText, dropText, ignored] = enter(root_ + "/notes.txt");
  EXPECT_FALSE(inText);
  EXPECT_FALSE(moveText);
  EXPECT_FALSE(dropText);
}

} // namespace
