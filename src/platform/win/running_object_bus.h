// The session-bus side of the running object table (platform-internal): one exported
// object per registration and the root object that lists them. Every method only
// reads; nothing a caller on the bus can invoke changes the registered object.
#pragma once

#include "win/running_objects.h"

#include <QDBusArgument>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

struct RotFilterEntry {
  QString name, classId;
};
struct RotPinEntry {
  QString filter, pin, direction, connectedTo;
};
struct RotConnectionEntry {
  QString from, to, majorType, subtype, format;
};
struct RotListEntry {
  QString path, displayName;
};
Q_DECLARE_METATYPE(RotFilterEntry)
Q_DECLARE_METATYPE(RotPinEntry)
Q_DECLARE_METATYPE(RotConnectionEntry)
Q_DECLARE_METATYPE(RotListEntry)

QDBusArgument &operator<<(QDBusArgument &a, const RotFilterEntry &e);
const QDBusArgument &operator>>(const QDBusArgument &a, RotFilterEntry &e);
QDBusArgument &operator<<(QDBusArgument &a, const RotPinEntry &e);
const QDBusArgument &operator>>(const QDBusArgument &a, RotPinEntry &e);
QDBusArgument &operator<<(QDBusArgument &a, const RotConnectionEntry &e);
const QDBusArgument &operator>>(const QDBusArgument &a, RotConnectionEntry &e);
QDBusArgument &operator<<(QDBusArgument &a, const RotListEntry &e);
const QDBusArgument &operator>>(const QDBusArgument &a, RotListEntry &e);

// Registers the structure types with QtDBus (once).
void RegisterRotBusTypes();

// One registration: the moniker's display name and the description of the object,
// read anew on every call.
class RotEntryObject : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.quovadel.RunningObject")
  Q_PROPERTY(QString DisplayName READ DisplayName)
  Q_PROPERTY(uint Cookie READ Cookie)
public:
  RotEntryObject(unsigned cookie, QString displayName, IUnknown *object);
  ~RotEntryObject() override;

  QString DisplayName() const { return displayName_; }
  uint Cookie() const { return cookie_; }
  IUnknown *Object() const { return object_; }

public slots:
  QString Kind();
  QString State();
  QList<RotFilterEntry> Filters();
  QList<RotPinEntry> Pins();
  QList<RotConnectionEntry> Connections();

private:
  unsigned cookie_;
  QString displayName_;
  IUnknown *object_; // counted by this entry
};

// The root object: the table's registrations.
class RotRootObject : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.quovadel.RunningObjectTable")
public:
  using Lister = std::function<QList<RotListEntry>()>;
  explicit RotRootObject(Lister lister) : lister_(std::move(lister)) {}

public slots:
  QList<RotListEntry> List() { return lister_(); }

private:
  Lister lister_;
};
