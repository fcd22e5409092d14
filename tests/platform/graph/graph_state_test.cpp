// Run, Pause and Stop of the graph, its clock and streaming.
#include "test_filters.h"

#include "graph/filter_graph.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace testfilters;

namespace {

struct Chain {
  ComPtr<IFilterGraph2> graph;
  ComPtr<IMediaControl> control;
  ComPtr<TestSource> source;
  ComPtr<TestTransform> transform;
  ComPtr<TestSink> sink;
  CallLog log;

  explicit Chain(int limit = -1) {
    graph::FilterGraph::Create(IID_PPV_ARGS(&graph));
    graph.As(&control);
    source = TestSource::Create(u"Source", limit);
    transform = TestTransform::Create();
    sink = TestSink::Create();
    // Added upstream first, so the order of state changes comes from the connections.
    for (TestFilterBase *f : {static_cast<TestFilterBase *>(source.Get()), static_cast<TestFilterBase *>(transform.Get()),
                              static_cast<TestFilterBase *>(sink.Get())}) {
      f->behaviour.log = &log;
      graph->AddFilter(f, nullptr);
    }
    EXPECT_EQ(graph->ConnectDirect(&source->out, &transform->in, nullptr), S_OK);
    EXPECT_EQ(graph->ConnectDirect(&transform->out, &sink->in, nullptr), S_OK);
  }
};

TEST(GraphState, FiltersChangeStateDownstreamFirst) {
  Chain c;
  EXPECT_EQ(c.control->Run(), S_OK);
  EXPECT_EQ(c.control->Stop(), S_OK);
  EXPECT_EQ(c.log.Lines(), (std::vector<std::string>{"Sink:Pause", "Transform:Pause", "Source:Pause", "Sink:Run",
                                                      "Transform:Run", "Source:Run", "Sink:Stop", "Transform:Stop",
                                                      "Source:Stop"}));
  OAFilterState state;
  EXPECT_EQ(c.control->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
}

TEST(GraphState, PendingTransitionGivesSFalseUntilItSettles) {
  Chain c;
  c.sink->behaviour.pending = true;
  EXPECT_EQ(c.control->Pause(), S_FALSE);
  OAFilterState state;
  EXPECT_EQ(c.control->GetState(0, &state), VFW_S_STATE_INTERMEDIATE);
  EXPECT_EQ(state, State_Paused);
  std::thread settle([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    c.sink->SetPending(false);
  });
  EXPECT_EQ(c.control->GetState(-1, &state), S_OK);
  settle.join();
  EXPECT_EQ(c.control->Run(), S_OK);
  c.control->Stop();
}

TEST(GraphState, AFailingFilterFailsTheCallAndTheGraphGoesBack) {
  Chain c;
  c.transform->behaviour.runResult = E_OUTOFMEMORY;
  EXPECT_EQ(c.control->Run(), E_OUTOFMEMORY);
  OAFilterState state;
  c.control->GetState(0, &state);
  EXPECT_EQ(state, State_Stopped);
  EXPECT_EQ(c.source->State(), State_Stopped);
  EXPECT_EQ(c.sink->State(), State_Stopped);

  c.transform->behaviour.runResult = S_OK;
  c.source->behaviour.pauseResult = VFW_E_NOT_CONNECTED;
  EXPECT_EQ(c.control->Pause(), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(c.sink->State(), State_Stopped);
}

TEST(GraphState, SamplesFlowWhileRunningAndStopOnStop) {
  Chain c;
  ASSERT_EQ(c.control->Run(), S_OK);
  ASSERT_TRUE(WaitFor([&] { return c.sink->received >= 5; }));
  ASSERT_EQ(c.control->Stop(), S_OK);
  int after = c.sink->received;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(c.sink->received.load(), after);
  EXPECT_EQ(c.source->delivered.load(), after);
}

TEST(GraphState, RunUsesTheGraphClockAndPauseKeepsThePosition) {
  Chain c;
  auto clock = ClockFilter::Create();
  ASSERT_EQ(c.graph->AddFilter(F(clock), u"Clock"), S_OK);
  ASSERT_EQ(c.control->Run(), S_OK);
  // A filter's clock is preferred to the system clock.
  ComPtr<IReferenceClock> used;
  ASSERT_EQ(F(c.sink)->GetSyncSource(&used), S_OK);
  EXPECT_EQ(used.Get(), static_cast<IReferenceClock *>(clock.Get()));
  REFERENCE_TIME t0 = 1000 * UNITS;
  EXPECT_EQ(c.sink->lastStart, t0 + 10 * MILLISECONDS);

  // Three seconds of stream, a pause of five, then run again: stream time goes on at 3 s.
  clock->now = t0 + 10 * MILLISECONDS + 3 * UNITS;
  ASSERT_EQ(c.control->Pause(), S_OK);
  clock->now = clock->now + 5 * UNITS;
  ASSERT_EQ(c.control->Run(), S_OK);
  EXPECT_EQ(clock->now - c.sink->lastStart, 3 * UNITS - 10 * MILLISECONDS);
  media::StreamTime streamTime;
  ASSERT_EQ(c.sink->StreamTime(&streamTime), S_OK);
  EXPECT_EQ(streamTime.ticks(), 3 * UNITS - 10 * MILLISECONDS);

  // Stop starts the stream again from zero.
  c.control->Stop();
  c.control->Run();
  EXPECT_EQ(c.sink->lastStart, clock->now + 10 * MILLISECONDS);
  c.control->Stop();

  // Removing the clock's filter falls back to the system clock.
  ASSERT_EQ(c.graph->RemoveFilter(F(clock)), S_OK);
  ASSERT_EQ(F(c.sink)->GetSyncSource(&used), S_OK);
  ASSERT_NE(used.Get(), nullptr);
  EXPECT_NE(used.Get(), static_cast<IReferenceClock *>(clock.Get()));
}

TEST(GraphState, SyncSourceChosenByTheApplication) {
  Chain c;
  ComPtr<IMediaFilter> filter;
  c.graph.As(&filter);
  ASSERT_EQ(filter->SetSyncSource(nullptr), S_OK);
  ASSERT_EQ(c.control->Run(), S_OK);
  ComPtr<IReferenceClock> used;
  EXPECT_EQ(F(c.sink)->GetSyncSource(&used), S_OK);
  EXPECT_EQ(used.Get(), nullptr); // no clock: no default chosen behind our back
  EXPECT_EQ(c.sink->lastStart, 0);
  EXPECT_EQ(filter->SetSyncSource(nullptr), VFW_E_NOT_STOPPED);
  c.control->Stop();
  EXPECT_EQ(c.graph->SetDefaultSyncSource(), S_OK);
  EXPECT_EQ(F(c.sink)->GetSyncSource(&used), S_OK);
  EXPECT_NE(used.Get(), nullptr);
  REFERENCE_TIME a = 0, b = 0;
  used->GetTime(&a);
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  used->GetTime(&b);
  EXPECT_GT(b, a);
}

TEST(GraphState, FilterChangesNeedAStoppedGraph) {
  Chain c;
  ASSERT_EQ(c.control->Pause(), S_OK);
  EXPECT_EQ(c.graph->RemoveFilter(F(c.sink)), VFW_E_NOT_STOPPED);
  EXPECT_EQ(c.graph->Disconnect(&c.sink->in), VFW_E_NOT_STOPPED);
  EXPECT_EQ(c.graph->ConnectDirect(&c.source->out, &c.sink->in, nullptr), VFW_E_NOT_STOPPED);
  c.control->Stop();
}

} // namespace
