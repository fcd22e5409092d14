// A graph registered in the running object table, seen from another connection on
// the session bus the way an outside inspector sees it. Runs on a private bus.
#include "test_filters.h"

#include "com/registry.h"
#include "graph/filter_graph.h"
#include "support/qt_printers.h"
#include "support/session_bus.h"
#include "win/rot.h"

#include <gtest/gtest.h>

#include <QDBusReply>

#include <algorithm>

using namespace testfilters;

namespace {

struct Registered {
  ComPtr<IRunningObjectTable> table;
  DWORD cookie = 0;
};

Registered Register(IUnknown *object, const char16_t *item) {
  Registered r;
  EXPECT_EQ(GetRunningObjectTable(0, &r.table), S_OK);
  ComPtr<IMoniker> moniker;
  EXPECT_EQ(CreateItemMoniker(u"!", item, &moniker), S_OK);
  if (r.table) {
    EXPECT_EQ(r.table->Register(0, object, moniker.Get(), &r.cookie), S_OK);
  }
  return r;
}

std::vector<busprobe::Entry> Mine() {
  std::vector<busprobe::Entry> out;
  for (auto &e : busprobe::Entries())
    if (e.service == QString::fromStdString(RunningObjectBusName())) out.push_back(e);
  return out;
}

class GraphRegistration : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_EQ(graph::FilterGraph::Create(IID_PPV_ARGS(&graph)), S_OK);
    graph->AddFilter(F(source), u"Source");
    graph->AddFilter(F(transform), u"Transform");
    graph->AddFilter(F(sink), u"Sink");
    ASSERT_EQ(graph->ConnectDirect(&source->out, &transform->in, nullptr), S_OK);
    ASSERT_EQ(graph->ConnectDirect(&transform->out, &sink->in, nullptr), S_OK);
  }
  ComPtr<IFilterGraph2> graph;
  ComPtr<TestSource> source = TestSource::Create(u"Source", 0);
  ComPtr<TestTransform> transform = TestTransform::Create();
  ComPtr<TestSink> sink = TestSink::Create();
};

TEST_F(GraphRegistration, AnotherConnectionSeesTheLiveGraphUntilRevoked) {
  ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "the test runs on a private session bus";
  Registered r = Register(graph.Get(), u"FilterGraph 00000000DEADBEEF pid 1");
  ASSERT_NE(r.cookie, 0u);

  auto entries = Mine();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].displayName, "!FilterGraph 00000000DEADBEEF pid 1");
  EXPECT_EQ(busprobe::Text(entries[0], "Kind"), "FilterGraph");
  EXPECT_EQ(busprobe::Text(entries[0], "State"), "Stopped");

  auto filters = busprobe::Rows(entries[0], "Filters");
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[0], QStringList({"Source", QString::fromStdString(GuidToString(CLSID_TestFilter))}));
  EXPECT_EQ(filters[2][0], "Sink");

  auto pins = busprobe::Rows(entries[0], "Pins");
  ASSERT_EQ(pins.size(), 4u);
  EXPECT_EQ(pins[0], QStringList({"Source", "Out", "out", "Transform/In"}));
  EXPECT_EQ(pins[1], QStringList({"Transform", "In", "in", "Source/Out"}));

  auto connections = busprobe::Rows(entries[0], "Connections");
  ASSERT_EQ(connections.size(), 2u);
  EXPECT_EQ(connections[0].mid(0, 4), QStringList({"Source/Out", "Transform/In", "Video", "MPEG2_VIDEO"}));
  EXPECT_EQ(connections[1].mid(0, 2), QStringList({"Transform/Out", "Sink/In"}));

  // The state is read at each call.
  ComPtr<IMediaControl> control;
  graph.As(&control);
  ASSERT_TRUE(SUCCEEDED(control->Pause()));
  EXPECT_EQ(busprobe::Text(entries[0], "State"), "Paused");
  control->Stop();

  // The stock property interface sees the display name as well.
  QDBusMessage prop = busprobe::Call(entries[0].service, entries[0].path, "org.freedesktop.DBus.Properties", "Get",
                                     {QString("org.quovadel.RunningObject"), QString("DisplayName")});
  ASSERT_EQ(prop.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(prop.arguments().at(0).value<QDBusVariant>().variant().toString(), "!FilterGraph 00000000DEADBEEF pid 1");

  EXPECT_EQ(r.table->Revoke(r.cookie), S_OK);
  EXPECT_TRUE(Mine().empty());
  // With nothing registered the process gives its bus name back.
  EXPECT_FALSE(busprobe::Probe().interface()->isServiceRegistered(QString::fromStdString(RunningObjectBusName())));
  EXPECT_EQ(r.table->Revoke(r.cookie), E_INVALIDARG);
}

TEST_F(GraphRegistration, TheTableHoldsTheGraphAndTheMonikerFindsIt) {
  Registered r = Register(graph.Get(), u"FilterGraph A");
  ASSERT_NE(r.cookie, 0u);
  ComPtr<IMoniker> same, other;
  CreateItemMoniker(u"!", u"FilterGraph A", &same);
  CreateItemMoniker(u"!", u"FilterGraph B", &other);
  EXPECT_EQ(r.table->IsRunning(same.Get()), S_OK);
  EXPECT_EQ(r.table->IsRunning(other.Get()), S_FALSE);
  ComPtr<IFilterGraph> bound;
  EXPECT_EQ(same->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&bound)), S_OK);
  EXPECT_EQ(static_cast<IFilterGraph *>(bound.Get()), static_cast<IFilterGraph *>(graph.Get()));
  EXPECT_EQ(other->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&bound)), MK_E_NOOBJECT);
  bound.Reset();

  // A second registration under the same name is kept apart and said to be a duplicate.
  ComPtr<IFilterGraph2> second;
  graph::FilterGraph::Create(IID_PPV_ARGS(&second));
  DWORD cookie2 = 0;
  EXPECT_EQ(r.table->Register(0, second.Get(), same.Get(), &cookie2), MK_S_MONIKERALREADYREGISTERED);
  EXPECT_NE(cookie2, r.cookie);
  EXPECT_EQ(Mine().size(), 2u);

  // The entry keeps the graph alive: the last outside reference can go first.
  IFilterGraph2 *raw = second.Get();
  second.Reset();
  auto entries = Mine();
  auto it = std::find_if(entries.begin(), entries.end(), [&](auto &e) { return e.path.endsWith(QString::number(cookie2)); });
  ASSERT_NE(it, entries.end());
  EXPECT_EQ(busprobe::Text(*it, "State"), "Stopped");
  (void)raw;
  EXPECT_EQ(r.table->Revoke(cookie2), S_OK);
  EXPECT_EQ(r.table->Revoke(r.cookie), S_OK);
  EXPECT_TRUE(Mine().empty());
}

TEST(RunningObjects, AnObjectThatIsNoGraphIsListedButNotDescribed) {
  ComPtr<IBaseFilter> filter = F(TestSink::Create());
  Registered r = Register(filter.Get(), u"Sink");
  auto entries = Mine();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].displayName, "!Sink");
  EXPECT_EQ(busprobe::Text(entries[0], "Kind"), "");
  EXPECT_TRUE(busprobe::Rows(entries[0], "Filters").empty());
  r.table->Revoke(r.cookie);
}

} // namespace
