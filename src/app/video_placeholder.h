// Stands in for the video window until the video window component exists: a black
// area that fills its parent.
#pragma once

#include "framework/component.h"

#include <QWidget>

class TVideoPlaceholder : public QWidget, public TComponentMixin {
  Q_OBJECT
public:
  explicit TVideoPlaceholder(QWidget *parent = nullptr);
  ~TVideoPlaceholder() override;

protected:
  void paintEvent(QPaintEvent *event) override;
};
