// A program that drags files on the X display, for the drop tests: its window stands at
// the point given, and a press of the left button on it drags the local files named on
// the command line (one item each). It prints "ready X Y" (the window's centre on the
// screen) once shown, "dragging" when the drag starts and, when it ends, "done <action>"
// with what the target took (copy, move, link or ignore); then it exits.
//   app_drag_source X Y FILE...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

class Source : public QWidget {
public:
  explicit Source(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(60, 60);
  }

protected:
  void mousePressEvent(QMouseEvent *event) override {
    if (event->button() != Qt::LeftButton) return;
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setUrls(urls_);
    drag->setMimeData(data);
    std::printf("dragging\n");
    std::fflush(stdout);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    const char *name = action == Qt::CopyAction   ? "copy"
                       : action == Qt::MoveAction ? "move"
                       : action == Qt::LinkAction ? "link"
                                                  : "ignore";
    std::printf("done %s\n", name);
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QApplication::quit);
  }
  void paintEvent(QPaintEvent *) override {}

private:
  QList<QUrl> urls_;
};

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  QList<QUrl> urls;
  for (int i = 3; i < argc; ++i) urls.push_back(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
  Source source(urls);
  source.move(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt());
  source.show();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!source.windowHandle() || !source.windowHandle()->isExposed()) return;
    poll.stop();
    const QPoint centre = source.mapToGlobal(source.rect().center());
    std::printf("ready %d %d\n", centre.x(), centre.y());
    std::fflush(stdout);
  });
  poll.start(20);
  return app.exec();
}
