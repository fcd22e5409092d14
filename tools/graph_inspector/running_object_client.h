// A client of the running object tables that players publish on the session bus: the
// registrations of every table, and what a registration tells of its object. Used by
// the inspector and by the tests that look at a table from outside.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace rotclient {

struct Entry {
  QString service, path, displayName;
};

class Client {
public:
  // mode: QDBus::Block, or QDBus::BlockWithGui when the table answers on this process's
  // own GUI thread.
  Client(QDBusConnection connection, QDBus::CallMode mode) : connection_(std::move(connection)), mode_(mode) {}

  QDBusConnection &Connection() { return connection_; }

  QDBusMessage Call(const QString &service, const QString &path, const QString &iface, const QString &method,
                    const QVariantList &args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, iface, method);
    m.setArguments(args);
    return connection_.call(m, mode_, 5000);
  }

  // Every registration of every table on the bus.
  std::vector<Entry> Entries() {
    std::vector<Entry> out;
    const QStringList names = connection_.interface()->registeredServiceNames().value();
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
  std::vector<QStringList> Rows(const Entry &e, const QString &method) {
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

  QString Text(const Entry &e, const QString &method) {
    QDBusMessage reply = Call(e.service, e.path, "org.quovadel.RunningObject", method);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
               ? reply.arguments().at(0).toString()
               : QString();
  }

private:
  QDBusConnection connection_;
  QDBus::CallMode mode_;
};

} // namespace rotclient
