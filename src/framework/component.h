// The component model: ownership and names on Qt's object tree, loading state,
// removal notices.
//
// A component is a QObject (non-visual) or a QWidget (visual) that also derives from
// TComponentMixin. Owner = QObject parent, Name = objectName. A component asks to be
// told when another one goes away with FreeNotification; the notice rides on
// QObject::destroyed and arrives as Notification(other, opRemove).
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <unordered_set>

enum TOperation { opInsert, opRemove };

class TComponentMixin {
public:
  explicit TComponentMixin(QObject *self);
  virtual ~TComponentMixin();
  TComponentMixin(const TComponentMixin &) = delete;
  TComponentMixin &operator=(const TComponentMixin &) = delete;

  QObject *Self() const { return self_; }
  QString Name() const { return self_->objectName(); }
  void SetName(const QString &name) { self_->objectName() == name ? void() : self_->setObjectName(name); }
  QObject *Owner() const { return self_->parent(); }

  // Loading from a stored layout: properties are applied between BeginLoading and Loaded.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  // Ends loading. Overrides call the base first or last as their component requires.
  virtual void Loaded() { loading_ = false; }
  // Components are never designed in this program; kept so code reads as intended.
  bool Designing() const { return false; }
  // True once destruction of the component has begun (set by the destructor of the
  // concrete component through MarkDestroying()).
  bool Destroying() const { return destroying_; }

  // Ask to receive Notification(other, opRemove) when `other` is destroyed.
  void FreeNotification(QObject *other);
  void RemoveFreeNotification(QObject *other);
  virtual void Notification(QObject *component, TOperation operation);

protected:
  void MarkDestroying() { destroying_ = true; }

private:
  QObject *self_;
  bool loading_ = false;
  bool destroying_ = false;
  QObject *watcher_; // receives the destroyed() signals, deleted with the mixin
  std::unordered_set<QObject *> watched_;
};

// Plain non-visual component.
class TComponent : public QObject, public TComponentMixin {
  Q_OBJECT
public:
  explicit TComponent(QObject *owner = nullptr);
  ~TComponent() override;
};

// Event types shared by every component.
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : unsigned {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
  ssDouble = 1u << 6,
};
using TShiftState = unsigned;

using TNotifyEvent = std::function<void(QObject *sender)>;
using TMouseEvent = std::function<void(QObject *sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject *sender, TShiftState shift, int x, int y)>;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
// The platform priority of each level: -15, -2, -1, 0, 1, 2, 15.
int PlatformThreadPriority(TThreadPriority priority);
