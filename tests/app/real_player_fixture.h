// The player's windows on the real platform and a real display, with the authored
// discs and a scripted dialog service.
#pragma once

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/startup.h"
#include "dshow/dshow.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/player_display.h"
#include "support/scripted_dialogs.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <functional>

class RealPlayerTest : public PlayerDisplayTest {
protected:
  QString Labels() {
    return FormDVDPlayer->Labelcap->Caption() + "|" + FormDVDPlayer->Labeltit->Caption() + "|" +
           FormDVDPlayer->Labeltime->Caption();
  }

  // DVD › Play with DVD_DEVICE at `volume`; waits until the disc's menu or first title runs.
  void PlayVolume(const QString &volume) {
    qputenv("DVD_DEVICE", volume.toLocal8Bit());
    FormDVDPlayer->PlayMenu->trigger();
    ASSERT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu || Domain() == DVD_DOMAIN_Title; }))
        << "the disc does not start";
  }
  // Starts a title and waits until its time label moves.
  void PlayTitle(ULONG title) {
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ASSERT_TRUE(dvd);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayTitle(title, 0, &cmd), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; }));
    ASSERT_TRUE(WaitFor([&] { return FormDVDPlayer->Labeltime->Caption().startsWith("Tempo: 0:0:"); }))
        << FormDVDPlayer->Labeltime->Caption().toStdString();
  }
};
