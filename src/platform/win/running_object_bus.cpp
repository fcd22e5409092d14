// The exported objects of the running object table and their bus types.
#include "win/running_object_bus.h"

#include <QDBusMetaType>

#include <mutex>

namespace {

QString Q(const std::string &s) { return QString::fromStdString(s); }

RunningObjectView Describe(IUnknown *object) { return DescribeRunningObject(object); }

} // namespace

QDBusArgument &operator<<(QDBusArgument &a, const RotFilterEntry &e) {
  a.beginStructure();
  a << e.name << e.classId;
  a.endStructure();
  return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, RotFilterEntry &e) {
  a.beginStructure();
  a >> e.name >> e.classId;
  a.endStructure();
  return a;
}
QDBusArgument &operator<<(QDBusArgument &a, const RotPinEntry &e) {
  a.beginStructure();
  a << e.filter << e.pin << e.direction << e.connectedTo;
  a.endStructure();
  return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, RotPinEntry &e) {
  a.beginStructure();
  a >> e.filter >> e.pin >> e.direction >> e.connectedTo;
  a.endStructure();
  return a;
}
QDBusArgument &operator<<(QDBusArgument &a, const RotConnectionEntry &e) {
  a.beginStructure();
  a << e.from << e.to << e.majorType << e.subtype << e.format;
  a.endStructure();
  return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, RotConnectionEntry &e) {
  a.beginStructure();
  a >> e.from >> e.to >> e.majorType >> e.subtype >> e.format;
  a.endStructure();
  return a;
}
QDBusArgument &operator<<(QDBusArgument &a, const RotListEntry &e) {
  a.beginStructure();
  a << QDBusObjectPath(e.path.isEmpty() ? QStringLiteral("/") : e.path) << e.displayName;
  a.endStructure();
  return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, RotListEntry &e) {
  QDBusObjectPath path;
  a.beginStructure();
  a >> path >> e.displayName;
  a.endStructure();
  e.path = path.path();
  return a;
}

void RegisterRotBusTypes() {
  static std::once_flag once;
  std::call_once(once, [] {
    qDBusRegisterMetaType<RotFilterEntry>();
    qDBusRegisterMetaType<QList<RotFilterEntry>>();
    qDBusRegisterMetaType<RotPinEntry>();
    qDBusRegisterMetaType<QList<RotPinEntry>>();
    qDBusRegisterMetaType<RotConnectionEntry>();
    qDBusRegisterMetaType<QList<RotConnectionEntry>>();
    qDBusRegisterMetaType<RotListEntry>();
    qDBusRegisterMetaType<QList<RotListEntry>>();
  });
}

RotEntryObject::RotEntryObject(unsigned cookie, QString displayName, IUnknown *object)
    : cookie_(cookie), displayName_(std::move(displayName)), object_(object) {
  object_->AddRef();
}

RotEntryObject::~RotEntryObject() { object_->Release(); }

QString RotEntryObject::Kind() { return Q(Describe(object_).kind); }

QString RotEntryObject::State() { return Q(Describe(object_).state); }

QList<RotFilterEntry> RotEntryObject::Filters() {
  QList<RotFilterEntry> list;
  for (const auto &f : Describe(object_).filters) list.append({Q(f.name), Q(f.classId)});
  return list;
}

QList<RotPinEntry> RotEntryObject::Pins() {
  QList<RotPinEntry> list;
  for (const auto &p : Describe(object_).pins) list.append({Q(p.filter), Q(p.pin), Q(p.direction), Q(p.connectedTo)});
  return list;
}

QList<RotConnectionEntry> RotEntryObject::Connections() {
  QList<RotConnectionEntry> list;
  for (const auto &c : Describe(object_).connections)
    list.append({Q(c.from), Q(c.to), Q(c.majorType), Q(c.subtype), Q(c.format)});
  return list;
}
