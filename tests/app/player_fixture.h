// The player's four windows created by the start-up unit for each test, with a
// scripted dialog service and the application title set.
#pragma once

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/startup.h"
#include "framework/application.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QTimer>

class PlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    // A short run of the message loop starts every test as a running program (no
    // termination asked yet).
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    Application().Run();
    Application().SetTitle(QStringLiteral("Quovadel DVD"));
    CreateApplicationForms();
  }
  void TearDown() override { DestroyApplicationForms(); }

  ScopedScriptedDialogs dialogs;
};
