// Without a session bus the graph works as before and is simply not registered.
#include "engine/filter_graph.h"
#include "graph/register.h"
#include "win/rot.h"

#include <gtest/gtest.h>

#include <QDBusConnection>

#include <cstdlib>

namespace {

// Before the test's application starts: no bus address, no runtime folder with a bus.
const bool g_noBus = [] {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("XDG_RUNTIME_DIR", "/nonexistent-qdvd-runtime", 1);
  setenv("DISPLAY", "", 1); // nothing to start a bus for us either
  return true;
}();

TEST(NoSessionBus, TheTableFailsAndTheGraphStillRuns) {
  ASSERT_TRUE(g_noBus);
  ASSERT_FALSE(QDBusConnection::sessionBus().isConnected());
  ComPtr<IRunningObjectTable> table;
  EXPECT_EQ(GetRunningObjectTable(0, &table), MK_E_UNAVAILABLE);
  EXPECT_FALSE(table);

  RegisterGraphClasses();
  TFilterGraph fg;
  fg.SetGraphEdit(true);
  fg.SetActive(true);
  EXPECT_TRUE(fg.Active());
  EXPECT_TRUE(fg.GraphEdit());
  EXPECT_TRUE(fg.Play());
  EXPECT_TRUE(fg.Stop());
  fg.SetGraphEdit(false);
  fg.SetActive(false);
  EXPECT_FALSE(fg.Active());
}

} // namespace
