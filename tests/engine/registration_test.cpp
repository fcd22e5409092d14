// The component's graph in the running object table, as another process sees it on
// the session bus (a private bus of this test's own).
#include "engine/filter_graph.h"
#include "graph/register.h"
#include "support/qt_printers.h"
#include "support/session_bus.h"
#include "win/rot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace {

QString ExpectedName(TFilterGraph &fg) {
  ComPtr<IGraphBuilder> graph;
  fg.QueryInterface(&graph);
  char text[80];
  std::snprintf(text, sizeof text, "!FilterGraph %0*llX pid %X", int(sizeof(void *) * 2),
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(graph.Get())), unsigned(getpid()));
  return text;
}

QStringList Names() {
  QStringList names;
  for (const auto &e : busprobe::Entries()) names << e.displayName;
  return names;
}

class Registration : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterGraphClasses(); }
  void TearDown() override { fg.SetActive(false); }
  TFilterGraph fg;
};

TEST_F(Registration, GraphEditAppliesAtActivationAndEndsWithIt) {
  ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "the test runs on a private session bus";
  fg.SetGraphEdit(true);
  EXPECT_TRUE(Names().isEmpty()); // stored only while inactive
  fg.SetActive(true);
  const QString name = ExpectedName(fg);
  EXPECT_EQ(Names(), QStringList{name});
  auto entries = busprobe::Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(busprobe::Text(entries[0], "Kind"), "FilterGraph");
  EXPECT_EQ(busprobe::Text(entries[0], "State"), "Stopped");

  fg.SetActive(false);
  EXPECT_TRUE(Names().isEmpty());
  EXPECT_TRUE(fg.GraphEdit());

  // A new graph gets a new entry; the old one does not come back.
  fg.SetActive(true);
  EXPECT_EQ(Names(), QStringList{ExpectedName(fg)});
}

TEST_F(Registration, GraphEditOffRevokesAtOnceAndOnRegistersAgain) {
  fg.SetActive(true);
  EXPECT_TRUE(Names().isEmpty());
  fg.SetGraphEdit(true);
  EXPECT_EQ(Names(), QStringList{ExpectedName(fg)});
  fg.SetGraphEdit(true); // already registered: one entry
  EXPECT_EQ(Names().size(), 1);
  fg.SetGraphEdit(false);
  EXPECT_TRUE(Names().isEmpty());
  EXPECT_FALSE(fg.GraphEdit());
  fg.SetGraphEdit(true);
  EXPECT_EQ(Names(), QStringList{ExpectedName(fg)});
}

TEST_F(Registration, AModeChangeReplacesTheEntry) {
  fg.SetGraphEdit(true);
  fg.SetActive(true);
  auto before = busprobe::Entries();
  ASSERT_EQ(before.size(), 1u);
  fg.SetMode(gmCapture);
  // The new graph may reuse the old one's address; its registration is a new one.
  auto after = busprobe::Entries();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].displayName, ExpectedName(fg));
  EXPECT_NE(after[0].path, before[0].path);
}

} // namespace
