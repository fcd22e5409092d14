// TImage: shows a picture at its top-left corner (or scaled to its size with
// Stretch). Where the picture does not reach, the parent shows through.
#pragma once

#include "framework/component.h"

#include <QImage>
#include <QWidget>

class TImage : public QWidget, public TComponentMixin {
  Q_OBJECT
public:
  explicit TImage(QWidget *parent = nullptr);
  ~TImage() override;

  QImage Picture() const { return picture_; }
  void SetPicture(const QImage &picture);
  // Reads a picture file in a format the toolkit knows; false (and an empty picture)
  // when it cannot be read.
  bool LoadFromFile(const QString &fileName);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QImage picture_;
  bool stretch_ = false;
};
