#include "win/x11.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace x11 {
namespace {

xcb_connection_t *Connection() {
  auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return app ? app->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t *c, const char *name) {
  xcb_intern_atom_reply_t *reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  if (!reply) return XCB_ATOM_NONE;
  xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

xcb_window_t RootOf(xcb_connection_t *c, xcb_window_t window) {
  xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  if (!g) return XCB_WINDOW_NONE;
  xcb_window_t root = g->root;
  std::free(g);
  return root;
}

std::vector<xcb_atom_t> StateAtoms(xcb_connection_t *c, xcb_window_t window, xcb_atom_t state) {
  std::vector<xcb_atom_t> atoms;
  xcb_get_property_reply_t *reply =
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
  if (!reply) return atoms;
  if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
    auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
    atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
  }
  std::free(reply);
  return atoms;
}

class TrayManagerFilter : public QAbstractNativeEventFilter {
public:
  explicit TrayManagerFilter(std::function<void()> onManager) : onManager_(std::move(onManager)) {
    xcb_connection_t *c = Connection();
    manager_ = Atom(c, "MANAGER");
  }
  bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
    if (type != "xcb_generic_event_t") return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    auto *cm = reinterpret_cast<xcb_client_message_event_t *>(event);
    if (cm->type != manager_ || cm->format != 32 || !IsTraySelection(cm->data.data32[1])) return false;
    // Let the toolkit dock its icons first; the announcement then reaches the windows.
    QMetaObject::invokeMethod(qApp, onManager_, Qt::QueuedConnection);
    return false;
  }

private:
  bool IsTraySelection(xcb_atom_t atom) {
    for (xcb_atom_t known : traySelections_)
      if (known == atom) return true;
    xcb_connection_t *c = Connection();
    if (!c) return false;
    xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr);
    if (!reply) return false;
    static const char prefix[] = "_NET_SYSTEM_TRAY_S";
    bool tray = xcb_get_atom_name_name_length(reply) > static_cast<int>(sizeof prefix - 1) &&
                std::strncmp(xcb_get_atom_name_name(reply), prefix, sizeof prefix - 1) == 0;
    std::free(reply);
    if (tray) traySelections_.push_back(atom);
    return tray;
  }
  std::function<void()> onManager_;
  xcb_atom_t manager_ = XCB_ATOM_NONE;
  std::vector<xcb_atom_t> traySelections_;
};

} // namespace

void SetSkipTaskbar(QWidget *window, bool skip, bool mapped) {
  xcb_connection_t *c = Connection();
  if (!c || !window || !window->isWindow()) return;
  auto id = static_cast<xcb_window_t>(window->winId());
  xcb_atom_t state = Atom(c, "_NET_WM_STATE");
  xcb_atom_t skipTaskbar = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  xcb_atom_t skipPager = Atom(c, "_NET_WM_STATE_SKIP_PAGER");
  if (mapped) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = state;
    event.data.data32[0] = skip ? 1 : 0; // add / remove
    event.data.data32[1] = skipTaskbar;
    event.data.data32[2] = skipPager;
    event.data.data32[3] = 1; // from an application
    xcb_send_event(c, 0, RootOf(c, id),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
  } else {
    std::vector<xcb_atom_t> atoms = StateAtoms(c, id, state);
    std::erase(atoms, skipTaskbar);
    std::erase(atoms, skipPager);
    if (skip) {
      atoms.push_back(skipTaskbar);
      atoms.push_back(skipPager);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.data());
  }
  xcb_flush(c);
}

bool WatchTrayManager(std::function<void()> onManager) {
  if (!Connection() || !QCoreApplication::instance()) return false;
  // One filter for the life of the process (kept reachable through this pointer).
  static TrayManagerFilter *filter = nullptr;
  if (filter) QCoreApplication::instance()->removeNativeEventFilter(filter);
  delete filter;
  filter = new TrayManagerFilter(std::move(onManager));
  QCoreApplication::instance()->installNativeEventFilter(filter);
  return true;
}

} // namespace x11
