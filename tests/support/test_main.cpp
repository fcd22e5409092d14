// Test entry: one QApplication for the whole run (offscreen unless a display is set
// up by the test command), then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdlib>

int main(int argc, char **argv) {
  // Tests that need real windows ask for xcb; without a display they run offscreen and
  // skip what needs the display (see NEEDS_DISPLAY()).
  if (qEnvironmentVariable("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QDVD_NO_DISPLAY", "1");
    qunsetenv("QT_QPA_PLATFORM");
  }
  QString config;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    // A 1280 x 1024 offscreen screen, like the one the player is laid out for.
    // One file per process: test processes run in parallel.
    config = QDir::temp().filePath(QString("qdvd-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile f(config);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      f.write(R"({"windowFrameMargins":false,"screens":[{"name":"screen0","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.toUtf8());
  }
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  if (!config.isEmpty()) QFile::remove(config); // read by the platform plugin at start-up
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
