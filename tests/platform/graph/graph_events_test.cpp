// The graph's event queue: notification messages, waiting, ownership, completion.
#include "test_filters.h"

#include "graph/filter_graph.h"
#include "win/winuser.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <poll.h>
#include <thread>

using namespace testfilters;

namespace {

constexpr UINT kNotifyMessage = WM_APP + 1;

ComPtr<IMediaEventEx> NewEvents() {
  ComPtr<IMediaEventEx> events;
  EXPECT_EQ(graph::FilterGraph::Create(IID_PPV_ARGS(&events)), S_OK);
  return events;
}

ComPtr<IMediaEventSink> SinkOf(const ComPtr<IMediaEventEx> &events) {
  ComPtr<IMediaEventSink> sink;
  events.As(&sink);
  return sink;
}

bool Readable(OAEVENT fd) {
  pollfd p{static_cast<int>(fd), POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

TEST(GraphEvents, EventFromAWorkerReachesTheWindowOnTheGuiThread) {
  auto events = NewEvents();
  std::vector<LPARAM> seen;
  QThread *procThread = nullptr;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == kNotifyMessage && w == 0) {
      seen.push_back(l);
      procThread = QThread::currentThread();
    }
    return 0;
  });
  ASSERT_EQ(events->SetNotifyFlags(0), S_OK);
  ASSERT_EQ(events->SetNotifyWindow(reinterpret_cast<OAHWND>(hwnd), kNotifyMessage, 0x5EED), S_OK);
  auto sink = SinkOf(events);
  std::thread worker([&] {
    sink->Notify(EC_DVD_TITLE_CHANGE, 3, 0);
    sink->Notify(EC_DVD_CHAPTER_START, 7, 0);
  });
  worker.join();
  WaitFor([&] { return seen.size() == 2; });
  EXPECT_EQ(seen, (std::vector<LPARAM>{0x5EED, 0x5EED})); // one message per event
  EXPECT_EQ(procThread, QApplication::instance()->thread());

  LONG code;
  LONG_PTR p1, p2;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
  EXPECT_EQ(code, EC_DVD_TITLE_CHANGE);
  EXPECT_EQ(p1, 3);
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
  EXPECT_EQ(code, EC_DVD_CHAPTER_START);
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
  events->SetNotifyWindow(0, 0, 0);
  DestroyWindow(hwnd);
}

TEST(GraphEvents, AWindowSetLaterHearsOfWaitingEvents) {
  auto events = NewEvents();
  SinkOf(events)->Notify(EC_PAUSED, S_OK, 0);
  int messages = 0;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    messages += msg == kNotifyMessage;
    return 0;
  });
  events->SetNotifyWindow(reinterpret_cast<OAHWND>(hwnd), kNotifyMessage, 1);
  WaitFor([&] { return messages == 1; });
  EXPECT_EQ(messages, 1);
  DestroyWindow(hwnd);
}

TEST(GraphEvents, GetEventWaitsForAnEventFromAnotherThread) {
  auto events = NewEvents();
  auto sink = SinkOf(events);
  OAEVENT handle = 0;
  ASSERT_EQ(events->GetEventHandle(&handle), S_OK);
  EXPECT_FALSE(Readable(handle));
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    sink->Notify(EC_USERABORT, 0, 0);
  });
  LONG code = 0;
  LONG_PTR p1, p2;
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, -1), S_OK);
  EXPECT_EQ(code, EC_USERABORT);
  worker.join();
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 20), E_ABORT);
  sink->Notify(EC_PAUSED, 0, 0);
  EXPECT_TRUE(Readable(handle));
  events->GetEvent(&code, &p1, &p2, 0);
  EXPECT_FALSE(Readable(handle));
  EXPECT_EQ(events->GetEvent(nullptr, &p1, &p2, 0), E_POINTER);
}

TEST(GraphEvents, NotificationsOffDropEventsAndPostNothing) {
  auto events = NewEvents();
  int messages = 0;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++messages; });
  events->SetNotifyWindow(reinterpret_cast<OAHWND>(hwnd), kNotifyMessage, 0);
  auto sink = SinkOf(events);
  sink->Notify(EC_PAUSED, 0, 0); // queued, then dropped by switching off
  ASSERT_EQ(events->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY), S_OK);
  LONG flags = 0;
  events->GetNotifyFlags(&flags);
  EXPECT_EQ(flags, AM_MEDIAEVENT_NONOTIFY);
  EXPECT_EQ(sink->Notify(EC_PAUSED, 0, 0), S_FALSE);
  QCoreApplication::processEvents();
  int before = messages;
  QCoreApplication::processEvents();
  EXPECT_EQ(messages, before);
  LONG code;
  LONG_PTR p1, p2;
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
  EXPECT_EQ(events->SetNotifyFlags(7), E_INVALIDARG);
  DestroyWindow(hwnd);
}

TEST(GraphEvents, PointerParametersBelongToTheQueueUntilFreed) {
  auto events = NewEvents();
  auto sink = SinkOf(events);
  std::u16string a = u"Title", b = u"Chapter";
  REFERENCE_TIME segmentEnd = 42 * UNITS;
  sink->Notify(EC_OLE_EVENT, reinterpret_cast<LONG_PTR>(a.c_str()), reinterpret_cast<LONG_PTR>(b.c_str()));
  sink->Notify(EC_END_OF_SEGMENT, reinterpret_cast<LONG_PTR>(&segmentEnd), 2);
  a = u"Changed after Notify";
  segmentEnd = 0;

  LONG code;
  LONG_PTR p1, p2;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
  ASSERT_EQ(code, EC_OLE_EVENT);
  EXPECT_EQ(std::u16string(reinterpret_cast<BSTR>(p1)), u"Title");
  EXPECT_EQ(SysStringLen(reinterpret_cast<BSTR>(p2)), 7u);
  EXPECT_EQ(events->FreeEventParams(code, p1, p2), S_OK);
  EXPECT_EQ(events->FreeEventParams(code, p1, p2), S_OK); // a second free does nothing (ASan checks)

  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
  ASSERT_EQ(code, EC_END_OF_SEGMENT);
  EXPECT_EQ(*reinterpret_cast<REFERENCE_TIME *>(p1), 42 * UNITS);
  EXPECT_EQ(p2, 2);
  events->FreeEventParams(code, p1, p2);

  // A filter named in an event stays alive until the event is freed.
  auto renderer = TestSink::Create();
  ComPtr<IMediaEventEx> cancelled = NewEvents();
  cancelled->CancelDefaultHandling(EC_COMPLETE);
  SinkOf(cancelled)->Notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(F(renderer)));
  IBaseFilter *raw = F(renderer);
  renderer = nullptr;
  ASSERT_EQ(cancelled->GetEvent(&code, &p1, &p2, 0), S_OK);
  ASSERT_EQ(p2, reinterpret_cast<LONG_PTR>(raw));
  FILTER_STATE state;
  EXPECT_EQ(raw->GetState(0, &state), S_OK); // still a live object
  cancelled->FreeEventParams(code, p1, p2);

  // Events never fetched are freed with the graph (ASan's leak check).
  sink->Notify(EC_OLE_EVENT, reinterpret_cast<LONG_PTR>(u"left"), 0);
}

TEST(GraphEvents, CompleteComesOnceEveryRendererFinished) {
  ComPtr<IFilterGraph2> g;
  graph::FilterGraph::Create(IID_PPV_ARGS(&g));
  ComPtr<IMediaEventEx> events;
  ComPtr<IMediaControl> control;
  g.As(&events);
  g.As(&control);
  auto video = TestSource::Create(u"Video", 3), audio = TestSource::Create(u"Audio", 6);
  auto videoOut = TestSink::Create(u"VideoOut"), audioOut = TestSink::Create(u"AudioOut");
  for (IBaseFilter *f : {F(video), F(audio), F(videoOut), F(audioOut)}) g->AddFilter(f, nullptr);
  ASSERT_EQ(g->ConnectDirect(&video->out, &videoOut->in, nullptr), S_OK);
  ASSERT_EQ(g->ConnectDirect(&audio->out, &audioOut->in, nullptr), S_OK);
  ASSERT_EQ(control->Run(), S_OK);
  LONG code = 0;
  EXPECT_EQ(events->WaitForCompletion(5000, &code), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(videoOut->received.load(), 3);
  EXPECT_EQ(audioOut->received.load(), 6);
  LONG_PTR p1, p2;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(p1, S_OK);
  EXPECT_EQ(p2, 0);
  events->FreeEventParams(code, p1, p2);
  EXPECT_EQ(events->GetEvent(&code, &p1, &p2, 0), E_ABORT); // only one
  control->Stop();
  EXPECT_EQ(events->WaitForCompletion(0, &code), VFW_E_WRONG_STATE);
}

} // namespace
