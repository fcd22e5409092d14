// Lists the filter graphs that running players publish on the session bus, or prints one.
#include "running_object_client.h"

#include <QCoreApplication>
#include <QTextStream>

#include <vector>

namespace {

QString Bare(const QString &name) { return name.startsWith('!') ? name.mid(1) : name; }

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout), err(stderr);
  if (!QDBusConnection::sessionBus().isConnected()) {
    err << "qdvd-graphs: no session bus\n";
    return 1;
  }
  rotclient::Client bus(QDBusConnection::sessionBus(), QDBus::Block);
  const std::vector<rotclient::Entry> entries = bus.Entries();
  const QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) {
    for (const rotclient::Entry &e : entries) out << Bare(e.displayName) << "\t" << e.service << "\t" << e.path << "\n";
    return 0;
  }
  const QString wanted = args.at(0);
  for (const rotclient::Entry &e : entries) {
    if (Bare(e.displayName) != Bare(wanted) && e.path != wanted) continue;
    out << Bare(e.displayName) << "\n";
    out << "State: " << bus.Text(e, "State") << "\n";
    out << "Filters:\n";
    const auto pins = bus.Rows(e, "Pins");
    for (const QStringList &f : bus.Rows(e, "Filters")) {
      out << "  \"" << f.value(0) << "\" " << f.value(1) << "\n";
      for (const QStringList &p : pins)
        if (p.value(0) == f.value(0))
          out << "    " << p.value(2) << " \"" << p.value(1) << "\""
              << (p.value(3).isEmpty() ? QString(" (not connected)") : " -> " + p.value(3)) << "\n";
    }
    out << "Connections:\n";
    for (const QStringList &c : bus.Rows(e, "Connections"))
      out << "  " << c.value(0) << " -> " << c.value(1) << ": " << c.value(2) << " / " << c.value(3) << ", "
          << c.value(4) << "\n";
    return 0;
  }
  err << "qdvd-graphs: no registered graph \"" << wanted << "\"\n";
  return 1;
}
