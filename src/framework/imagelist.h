// TImageList: pictures of one size shared by menus, addressed by index.
#pragma once

#include "framework/component.h"

#include <QPixmap>
#include <QString>

#include <vector>

class TImageList : public TComponent {
  Q_OBJECT
public:
  explicit TImageList(QObject *owner = nullptr);

  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }

  // Appends a picture (scaled to Width × Height when its size differs); returns its
  // index, or -1 for an empty picture.
  int Add(const QPixmap &picture);
  // Appends the picture in a file; -1 when it cannot be read.
  int AddFromFile(const QString &fileName);
  int Count() const { return static_cast<int>(pictures_.size()); }
  // The picture at an index; an empty pixmap outside 0..Count-1.
  QPixmap Picture(int index) const;
  void Clear();

signals:
  void Changed();

private:
  int width_ = 16;
  int height_ = 16;
  std::vector<QPixmap> pictures_;
};
