// Lists the filter graphs that running players publish on the session bus, or prints one.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QTextStream>

#include <vector>

namespace {

const QString kPrefix = "org.quovadel.RunningObjects.";
const QString kRoot = "/org/quovadel/RunningObjects";

struct Entry {
  QString service, path, name;
};

QDBusMessage Call(const QString &service, const QString &path, const QString &iface, const QString &method) {
  return QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(service, path, iface, method),
                                            QDBus::Block, 5000);
}

std::vector<Entry> Entries() {
  std::vector<Entry> out;
  for (const QString &service : QDBusConnection::sessionBus().interface()->registeredServiceNames().value()) {
    if (!service.startsWith(kPrefix)) continue;
    QDBusMessage reply = Call(service, kRoot, "org.quovadel.RunningObjectTable", "List");
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) continue;
    const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
      Entry e{service, {}, {}};
      QDBusObjectPath path;
      arg.beginStructure();
      arg >> path >> e.name;
      arg.endStructure();
      e.path = path.path();
      out.push_back(e);
    }
    arg.endArray();
  }
  return out;
}

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
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().at(0).toString()
                                                                                   : QString();
}

QString Bare(const QString &name) { return name.startsWith('!') ? name.mid(1) : name; }

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout), err(stderr);
  if (!QDBusConnection::sessionBus().isConnected()) {
    err << "qdvd-graphs: no session bus\n";
    return 1;
  }
  const std::vector<Entry> entries = Entries();
  const QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) {
    for (const Entry &e : entries) out << Bare(e.name) << "\t" << e.service << "\t" << e.path << "\n";
    return 0;
  }
  const QString wanted = args.at(0);
  for (const Entry &e : entries) {
    if (Bare(e.name) != Bare(wanted) && e.path != wanted) continue;
    out << Bare(e.name) << "\n";
    out << "State: " << Text(e, "State") << "\n";
    out << "Filters:\n";
    const auto pins = Rows(e, "Pins");
    for (const QStringList &f : Rows(e, "Filters")) {
      out << "  \"" << f.value(0) << "\" " << f.value(1) << "\n";
      for (const QStringList &p : pins)
        if (p.value(0) == f.value(0))
          out << "    " << p.value(2) << " \"" << p.value(1) << "\""
              << (p.value(3).isEmpty() ? QString(" (not connected)") : " -> " + p.value(3)) << "\n";
    }
    out << "Connections:\n";
    for (const QStringList &c : Rows(e, "Connections"))
      out << "  " << c.value(0) << " -> " << c.value(1) << ": " << c.value(2) << " / " << c.value(3) << ", "
          << c.value(4) << "\n";
    return 0;
  }
  err << "qdvd-graphs: no registered graph \"" << wanted << "\"\n";
  return 1;
}
