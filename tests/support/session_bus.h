// Looking at the running object tables of this and other processes over the session
// bus, the way an outside inspector does: from a connection of its own, with calls
// that keep this process's event loop going (the tables answer on the GUI thread).
#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace busprobe {

inline QDBusConnection Probe() {
  static QDBusConnection c = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "qdvd-test-probe");
  return c;
}

inline QDBusMessage Call(const QString &service, const QString &path, const QString &iface, const QString &method,
                         const QVariantList &args = {}) {
  QDBusMessage m = QDBusMessage::createMethodCall(service, path, iface, method);
  m.setArguments(args);
  return Probe().call(m, QDBus::BlockWithGui, 5000);
}

struct Entry {
  QString service, path, displayName;
};

// Every registration of every table on the bus.
inline std::vector<Entry> Entries() {
  std::vector<Entry> out;
  const QStringList names = Probe().interface()->registeredServiceNames().value();
  for (const QString &name : names) {
    if (!name.startsWith("org.quovadel.RunningObjects.")) continue;
    QDBusMessage reply = Call(name, "/org/quovadel/RunningObjects", "org.quovadel.RunningObjectTable", "List");
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) continue;
    const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
      Entry e{name, {}, {}};
      QDBusObjectPath path;
      arg.beginStructure();
      arg >> path >> e.displayName;
      arg.endStructure();
      e.path = path.path();
      out.push_back(e);
    }
    arg.endArray();
  }
  return out;
}

// Rows of an array of string structures returned by an entry's method.
inline std::vector<QStringList> Rows(const Entry &e, const QString &method) {
  std::vector<QStringList> rows;
  QDBusMessage reply = Call(e.service, e.path, "org.quovadel.RunningObject", method);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return rows;
  const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
  arg.beginArray();
  while (!arg.atEnd()) {
    QStringList row;
    arg.beginStructure();
    while (!arg.atEnd()) {
      QString s;
      arg >> s;
      row << s;
    }
    arg.endStructure();
    rows.push_back(row);
  }
  arg.endArray();
  return rows;
}

inline QString Text(const Entry &e, const QString &method) {
  QDBusMessage reply = Call(e.service, e.path, "org.quovadel.RunningObject", method);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().at(0).toString()
                                                                                   : QString();
}

} // namespace busprobe
