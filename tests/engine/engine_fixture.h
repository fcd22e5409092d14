// A filter graph component per test, the real graph classes registered, errors that
// reach the application's handler recorded, and a fake DVD graph builder at hand.
#pragma once

#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "engine_fakes.h"
#include "graph/register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <optional>

class EngineTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterGraphClasses(); }
  void SetUp() override {
    Application().SetExceptionHook([this](QObject *sender, const QString &message) {
      errors.push_back((sender == &fg ? "fg: " : "?: ") + message.toStdString());
    });
  }
  void TearDown() override {
    fg.SetActive(false); // while the test's handlers can still run
    Application().SetExceptionHook(nullptr);
  }

  // Makes CLSID_DvdGraphBuilder give `dvd`, the scripted builder over a real graph
  // manager: it writes the queries it answers, offers the navigator's information but
  // not its control, and rendering adds `dvdAudio`.
  void UseFakeDvdBuilder() {
    dvd.Attach(new ScriptedDvdBuilder(&trace));
    dvd->script.traceQueries = true;
    dvd->script.controlAvailable = false;
    dvd->rendered = {{dvdAudio, u"Audio Renderer"}};
    dvdClass.emplace(CLSID_DvdGraphBuilder, FactoryOf(dvd, &trace, "DVD builder"));
  }
  void ActivateDvd() {
    UseFakeDvdBuilder();
    fg.SetMode(gmDVD);
    fg.SetActive(true);
    trace.clear();
  }
  // The interface the component hands out for I (released at once: the graph keeps it).
  template <class I> ComPtr<I> Query() {
    ComPtr<I> p;
    fg.QueryInterface(&p);
    return p;
  }
  void ProcessPostedMessages() { QCoreApplication::processEvents(); }
  // The trace without the DVD builder's query lines.
  Trace Calls() const {
    Trace out;
    for (const auto &line : trace)
      if (line.rfind("builder.", 0) != 0) out.push_back(line);
    return out;
  }

  Trace trace;
  std::vector<std::string> errors;
  ComPtr<ScriptedDvdBuilder> dvd;
  ComPtr<TestAudioRenderer> dvdAudio = TestAudioRenderer::Make();
  std::optional<ScopedClassRegistration> dvdClass;
  // Members and listeners outlive the component, as they must.
  TestMember m1{"m1", &trace, TestFilter::Make("m1", true, false, &trace)};
  TestMember m2{"m2", &trace, TestFilter::Make("m2", true, false, &trace)};
  TestMember l{"l", &trace};
  TFilterGraph fg;
};
