// TsPanel: a raised frame that holds controls, shows a centred caption and reports the
// mouse on its bare surface (the pointer stays with it while a button is held).
// Aligned children are arranged when it is resized. Skin section "PANEL".
#pragma once

#include "framework/component.h"

#include <QFrame>

class TsPanel : public QFrame, public TComponentMixin {
  Q_OBJECT
public:
  explicit TsPanel(QWidget *parent = nullptr);
  ~TsPanel() override;

  QString Caption() const { return caption_; }
  void SetCaption(const QString &caption);
  QString SkinSection() const;
  void SetSkinSection(const QString &section);

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  QString caption_;
};
