// Looking at the running object tables of this and other processes over the session
// bus, the way an outside inspector does: from a connection of its own, with calls
// that keep this process's event loop going (the tables answer on the GUI thread).
#pragma once

#include "graph_inspector/running_object_client.h"

namespace busprobe {

using rotclient::Entry;

inline rotclient::Client &Client() {
  static rotclient::Client c(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "qdvd-test-probe"),
                             QDBus::BlockWithGui);
  return c;
}

inline QDBusConnection Probe() { return Client().Connection(); }

inline QDBusMessage Call(const QString &service, const QString &path, const QString &iface, const QString &method,
                         const QVariantList &args = {}) {
  return Client().Call(service, path, iface, method, args);
}
inline std::vector<Entry> Entries() { return Client().Entries(); }
inline std::vector<QStringList> Rows(const Entry &e, const QString &method) { return Client().Rows(e, method); }
inline QString Text(const Entry &e, const QString &method) { return Client().Text(e, method); }

} // namespace busprobe
