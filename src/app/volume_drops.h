// Opening a DVD volume by dropping it on a window: a disc's root folder, its VIDEO_TS
// folder, any file inside VIDEO_TS, another .IFO file, or an .iso image. Anything else
// (several items, other files, what is not a local file) is refused while it is dragged.
#pragma once

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

// The path the drag carries, as it is given to the volume routine: the folder or the
// .IFO or image itself, the VIDEO_TS folder for its other files; empty when refused.
QString DroppedVolume(const QMimeData *data);

// Makes `window` take drops of volumes; a drop opens the volume through the control
// panel once the drop itself is over (so the dragging program is not kept waiting by
// the messages the volume may give).
class TVolumeDrops : public QObject {
  Q_OBJECT
public:
  explicit TVolumeDrops(QWidget *window);
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *window_;
  QString dragged_; // the volume of the drag over the window, empty: refused
};
