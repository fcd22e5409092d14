// The player's windows with the DVD graph builder replaced by a scripted one over the
// real graph manager: the open and play commands, their messages and the status
// labels, driven as the user drives them (menu items, buttons, the open dialog).
#pragma once

#include "player_fixture.h"

#include "engine/filter_graph.h"
#include "framework/menus.h"
#include "graph/register.h"
#include "scripted_render.h"

#include <QCoreApplication>

class PlayTest : public PlayerTest {
protected:
  static void SetUpTestSuite() { RegisterGraphClasses(); }
  void SetUp() override {
    PlayerTest::SetUp();
    dvd.script.infoAvailable = false; // the player's commands need the navigator's control only
    dialogs->onMessageBox = [this](const RecordedMessage &box) { trace.push_back("box " + box.caption.toStdString()); };
  }
  void TearDown() override {
    Graph()->ClearGraph();
    Graph()->SetActive(false);
    PlayerTest::TearDown();
  }

  TFilterGraph *Graph() { return FormDVDPlayer->FilterGraph; }
  // DVD › Play and File › Apri answering `path` (empty: Cancel), as the user runs them.
  void Play() { FormDVDPlayer->PlayMenu->trigger(); }
  void Open(const QString &path) {
    dialogs->openAnswers.push_back(path);
    FormDVDPlayer->OpenMenu->trigger();
  }
  // Plays a disc that renders completely, then forgets what that wrote to the trace.
  void PlayingDisc() {
    Play();
    ASSERT_TRUE(dvd.last && dvd.last->audio->InGraph());
    trace.clear();
  }
  // Queues a graph event as a filter would, then runs the message loop once, which
  // delivers the graph's notification message.
  void Event(LONG code, LONG_PTR param1, LONG_PTR param2 = 0) {
    ComPtr<IMediaEventSink> sink;
    ASSERT_EQ(Graph()->QueryInterface(IID_PPV_ARGS(&sink)), S_OK);
    ASSERT_EQ(sink->Notify(code, param1, param2), S_OK);
    QCoreApplication::processEvents();
  }

  // The trace with the two rendered filters leaving the graph, in the order the graph
  // removes them, written as one step "graph cleared".
  Trace Steps() const {
    Trace out;
    for (std::size_t i = 0; i < trace.size(); ++i) {
      const bool pair = i + 1 < trace.size() &&
                        ((trace[i] == kNavigatorLeaves && trace[i + 1] == kAudioLeaves) ||
                         (trace[i] == kAudioLeaves && trace[i + 1] == kNavigatorLeaves));
      out.push_back(pair ? "graph cleared" : trace[i]);
      if (pair) ++i;
    }
    return out;
  }
  static constexpr const char *kNavigatorLeaves = "Navigator leaves the graph";
  static constexpr const char *kAudioLeaves = "Audio leaves the graph";

  Trace trace;
  ScopedRenderingDvd dvd{&trace};
};
