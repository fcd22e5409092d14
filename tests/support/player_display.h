// The player's windows on the real platform and an X display with the authored discs,
// created for each test with a scripted dialog service. DVD_DEVICE is put back as it
// was when the test ends. Without the X display, the platform's classes or the discs
// the test ends as NEEDS says (support/fixtures.h).
#pragma once

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/startup.h"
#include "com/registry.h"
#include "dshow/dshow.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/scoped_env.h"
#include "support/scripted_dialogs.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

class PlayerDisplayTest : public ::testing::Test {
protected:
  // A fixture's own SetUp calls this first and returns when Started() is false.
  void SetUp() override {
    NEEDS_DISPLAY();
    NEEDS(QGuiApplication::platformName() == "xcb") << "not on an X display";
    CoInitialize(nullptr);
    NEEDS(CoIsClassRegistered(CLSID_DvdGraphBuilder)) << "the DVD graph builder is not registered";
    NEEDS_DISCS();
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    Application().Run();
    Application().SetTitle(QStringLiteral("Quovadel DVD"));
    CreateApplicationForms();
    FormDVDPlayer->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FormDVDPlayer));
    started_ = true;
  }

  void TearDown() override {
    if (!started_) return;
    Application().Guard(nullptr, [] {
      FormDVDPlayer->FilterGraph->ClearGraph();
      FormDVDPlayer->FilterGraph->SetActive(false);
    });
    DestroyApplicationForms();
  }

  bool Started() const { return started_; }
  static QString Disc(const char *name = "ntsc_menu") { return QString::fromStdString(FixturePath(name)); }
  TFilterGraph *Graph() { return FormDVDPlayer->FilterGraph; }
  template <class I> ComPtr<I> Query() {
    ComPtr<I> p;
    Graph()->QueryInterface(IID_PPV_ARGS(&p));
    return p;
  }
  DVD_DOMAIN Domain() {
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    if (auto info = Query<IDvdInfo2>()) info->GetCurrentDomain(&domain);
    return domain;
  }

  ScopedScriptedDialogs dialogs;

private:
  ScopedEnv device_{"DVD_DEVICE"};
  bool started_ = false;
};
