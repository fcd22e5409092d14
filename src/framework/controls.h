// What every visual control shares: alignment inside its parent, hints, mouse event
// translation and the skin section it is painted with.
#pragma once

#include "framework/component.h"

#include <QString>

class QMouseEvent;
class QWidget;

// Alignment of a control inside its parent: alTop takes the full width at the top
// edge (keeping its height), alClient fills what is left. Containers that honour it
// (form client areas, panels) call ArrangeAlignedChildren when they are resized.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

void SetAlign(QWidget *control, TAlign align);
TAlign AlignOf(const QWidget *control);
void ArrangeAlignedChildren(QWidget *container);

// A hint is shown as a tooltip only when it is set.
void SetHint(QWidget *control, const QString &hint);
QString HintOf(const QWidget *control);

// The skin section that paints a control ("BUTTON", "CHECKBOX", "PANEL", "FORM"...),
// read by the skin manager through the "SkinSection" property.
constexpr const char *kSkinSectionProperty = "SkinSection";
void SetSkinSection(QWidget *control, const QString &section);
QString SkinSectionOf(const QWidget *control);

TMouseButton MouseButtonOf(const QMouseEvent *event);
// Keys and buttons held during the event (ssDouble for a double click).
TShiftState ShiftStateOf(const QMouseEvent *event);
