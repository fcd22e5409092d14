#include "app/volume_drops.h"

#include "app/Unit1.h"
#include "framework/application.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QString DroppedVolume(const QMimeData *data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
  const QFileInfo item(urls[0].toLocalFile());
  if (!item.exists()) return {};
  const QString path = QDir::toNativeSeparators(QDir::cleanPath(item.absoluteFilePath()));
  if (item.isDir()) return path;
  const QString suffix = item.suffix().toLower();
  if (suffix == QLatin1String("ifo") || suffix == QLatin1String("iso")) return path;
  if (item.dir().dirName().compare(QLatin1String("VIDEO_TS"), Qt::CaseInsensitive) == 0)
    return QDir::toNativeSeparators(QDir::cleanPath(item.absolutePath()));
  return {};
}

TVolumeDrops::TVolumeDrops(QWidget *window) : QObject(window), window_(window) {
  window->setAcceptDrops(true);
  window->installEventFilter(this);
}

// The data is read once, when the drag comes in: between programs each read is a
// request to the dragging program, which need not answer every one of them.
bool TVolumeDrops::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::DragEnter:
    dragged_ = DroppedVolume(static_cast<QDragEnterEvent *>(event)->mimeData());
    [[fallthrough]];
  case QEvent::DragMove: {
    auto *drag = static_cast<QDragMoveEvent *>(event);
    if (dragged_.isEmpty()) drag->ignore();
    else drag->acceptProposedAction();
    return true;
  }
  case QEvent::DragLeave:
    dragged_.clear();
    return true;
  case QEvent::Drop: {
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = dragged_.isEmpty() ? DroppedVolume(drop->mimeData()) : dragged_;
    dragged_.clear();
    if (path.isEmpty()) {
      drop->ignore();
      return true;
    }
    drop->acceptProposedAction();
    QPointer<QWidget> window = window_;
    QTimer::singleShot(0, window_, [window, path] {
      if (!window || !FormDVDPlayer) return;
      Application().Guard(window, [window, path] { FormDVDPlayer->OpenDroppedVolume(window, path); });
    });
    return true;
  }
  default:
    return QObject::eventFilter(watched, event);
  }
}
