#include "app/video_placeholder.h"

#include <QPainter>

TVideoPlaceholder::TVideoPlaceholder(QWidget *parent) : QWidget(parent), TComponentMixin(this) {}

TVideoPlaceholder::~TVideoPlaceholder() { MarkDestroying(); }

// Painted by hand: a skin sheet on the window must not colour the video area.
void TVideoPlaceholder::paintEvent(QPaintEvent *) { QPainter(this).fillRect(rect(), Qt::black); }
