// A video window on a host widget, bound to a filter graph component whose graph
// manager and renderers are the scripted ones of scripted_renderers.h.
#pragma once

#include "engine/filter_graph.h"
#include "scripted_renderers.h"
#include "video/video_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

inline std::string HandleText(HWND hwnd) { return std::to_string(reinterpret_cast<LONG_PTR>(hwnd)); }

class VideoWindowTest : public ::testing::Test {
protected:
  VideoWindowTest();
  ~VideoWindowTest() override;

  // Renderers made so far, in order of creation ("VR0", "VR1"…, "VMR0"…).
  FakeClassicRenderer *Classic(int index) const { return classics.at(static_cast<std::size_t>(index)).Get(); }
  FakeMixingRenderer *Mixer(int index) const { return mixers.at(static_cast<std::size_t>(index)).Get(); }
  FakeGraph *Graph() const { return graphs.empty() ? nullptr : graphs.back().Get(); }
  // The window's renderer, as the graph sees it.
  IBaseFilter *Renderer() const { return video->MemberFilter().Get(); }
  // Binds the window to the graph component and activates it.
  void AttachAndActivate();
  // Gives the window's current renderer a connected pin.
  void ConnectRenderer();
  std::vector<std::string> Take() { return std::exchange(*log, {}); }

  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::vector<ComPtr<FakeClassicRenderer>> classics;
  std::vector<ComPtr<FakeMixingRenderer>> mixers;
  std::vector<ComPtr<FakeGraph>> graphs;
  bool mixerAvailable = true;

  ScopedClassRegistration graphClass;
  ScopedClassRegistration classicClass;
  ScopedClassRegistration mixerClass;

  std::unique_ptr<TFilterGraph> filterGraph;
  std::unique_ptr<QWidget> host;
  TVideoWindow *video; // child of host
};
