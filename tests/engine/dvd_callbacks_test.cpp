// The DVD graph builder asks the component about every filter it chooses and about
// streams it cannot render, writes the graph log, and the rendered graph is visible
// to an outside inspector; all on an authored disc over the real platform.
#include "dshow/uuids.h"
#include "engine/filter_graph.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/session_bus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {

class DvdCallbacks : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    fg.SetMode(gmDVD);
  }
  void TearDown() override {
    fg.ClearGraph();
    fg.SetActive(false);
  }
  HRESULT Render() {
    fg.SetActive(true);
    const std::u16string path = QString::fromStdString(FixturePath("ntsc_menu")).toStdU16String();
    return fg.RenderDvdVolume(status, path, AM_DVD_HWDEC_PREFER);
  }
  TFilterGraph fg;
  AM_DVD_RENDERSTATUS status{};
};

TEST_F(DvdCallbacks, EveryChosenFilterIsOfferedWithItsNameAndClassAndCreated) {
  std::vector<std::pair<std::u16string, GUID>> selected;
  std::vector<GUID> created;
  fg.OnSelectedFilter = [&](IMoniker *moniker, const std::u16string &name, const GUID &clsid) {
    EXPECT_NE(moniker, nullptr);
    selected.emplace_back(name, clsid);
    return true;
  };
  fg.OnCreatedFilter = [&](IBaseFilter *, const GUID &clsid) {
    created.push_back(clsid);
    return true;
  };
  ASSERT_EQ(Render(), S_OK);
  auto has = [&](const char16_t *name, const GUID &clsid) {
    return std::find(selected.begin(), selected.end(), std::make_pair(std::u16string(name), clsid)) != selected.end();
  };
  EXPECT_TRUE(has(u"MPEG Video Decoder", CLSID_MpegVideoDecoder));
  EXPECT_TRUE(has(u"DVD Audio Decoder", CLSID_DvdAudioDecoder));
  EXPECT_TRUE(has(u"Video Renderer", CLSID_VideoRenderer));
  EXPECT_TRUE(has(u"Audio Renderer", CLSID_DSoundRender));
  EXPECT_EQ(created.size(), selected.size());
  EXPECT_NE(std::find(created.begin(), created.end(), CLSID_MpegVideoDecoder), created.end());
}

TEST_F(DvdCallbacks, RefusingTheVideoDecoderFailsTheVideoStream) {
  std::vector<IPin *> unrendered;
  fg.OnSelectedFilter = [](IMoniker *, const std::u16string &, const GUID &clsid) {
    return clsid != CLSID_MpegVideoDecoder;
  };
  fg.OnUnableToRender = [&](IPin *pin) {
    unrendered.push_back(pin);
    return false;
  };
  EXPECT_EQ(Render(), S_FALSE);
  EXPECT_TRUE(status.dwFailedStreamsFlag & AM_DVD_STREAM_VIDEO);
  EXPECT_FALSE(status.dwFailedStreamsFlag & AM_DVD_STREAM_AUDIO);
  EXPECT_GE(status.iNumStreamsFailed, 1);
  // The navigator's video pin was offered to the handler, once.
  ASSERT_GE(unrendered.size(), 1u);
  PIN_INFO info{};
  unrendered[0]->QueryPinInfo(&info);
  if (info.pFilter) info.pFilter->Release();
  EXPECT_EQ(std::u16string(info.achName), u"Video");
}

TEST_F(DvdCallbacks, RefusingAfterCreationFailsTheStreamToo) {
  fg.OnCreatedFilter = [](IBaseFilter *, const GUID &clsid) { return clsid != CLSID_DvdAudioDecoder; };
  EXPECT_EQ(Render(), S_FALSE);
  EXPECT_TRUE(status.dwFailedStreamsFlag & AM_DVD_STREAM_AUDIO);
  EXPECT_FALSE(status.dwFailedStreamsFlag & AM_DVD_STREAM_VIDEO);
}

TEST_F(DvdCallbacks, TheLogHoldsTheBuildAndThePlayback) {
  QTemporaryDir dir;
  const QString path = dir.filePath("graph.log");
  fg.SetLogFile(path);
  ASSERT_EQ(Render(), S_OK);
  ASSERT_TRUE(fg.Play());
  ComPtr<IMediaControl> control;
  fg.QueryInterface(&control);
  OAFilterState state = State_Stopped;
  QDeadlineTimer deadline(5000);
  while (!deadline.hasExpired() && (control->GetState(50, &state), state != State_Running))
    QCoreApplication::processEvents();
  fg.ClearGraph(); // stops, then removes the builder's filters
  fg.SetActive(false);

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString log = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(log.contains("Added filter \"DVD Navigator\""));
  EXPECT_TRUE(log.contains("Created filter \"MPEG Video Decoder\""));
  EXPECT_TRUE(log.contains("Connected \"DVD Navigator\".\"Video\" to \"MPEG Video Decoder\""));
  EXPECT_TRUE(log.contains("type " + QString::fromStdString(GuidToString(MEDIATYPE_DVD_ENCRYPTED_PACK))));
  EXPECT_TRUE(log.contains("Rendered the DVD volume"));
  EXPECT_TRUE(log.contains("video ok, audio ok"));
  EXPECT_TRUE(log.contains("Running: 0x00000000"));
  EXPECT_TRUE(log.contains("Stopped: "));
  EXPECT_TRUE(log.contains("Removed filter"));
}

TEST_F(DvdCallbacks, AnInspectorSeesTheRenderedGraphWithItsConnections) {
  fg.SetGraphEdit(true);
  ASSERT_EQ(Render(), S_OK);
  auto entries = busprobe::Entries();
  ASSERT_EQ(entries.size(), 1u);
  QStringList filters;
  for (const auto &row : busprobe::Rows(entries[0], "Filters")) filters << row[0];
  EXPECT_TRUE(filters.contains("DVD Navigator"));
  EXPECT_TRUE(filters.contains("MPEG Video Decoder"));
  EXPECT_TRUE(filters.contains("Audio Renderer"));
  bool videoLink = false, audioOut = false;
  for (const auto &c : busprobe::Rows(entries[0], "Connections")) {
    if (c[0] == "DVD Navigator/Video" && c[1].startsWith("MPEG Video Decoder/")) {
      videoLink = true;
      EXPECT_EQ(c[2], "DVD_ENCRYPTED_PACK");
      EXPECT_EQ(c[3], "MPEG2_VIDEO");
      EXPECT_TRUE(c[4].startsWith("720x480")) << c[4].toStdString();
    }
    if (c[1].startsWith("Audio Renderer/")) audioOut = true;
  }
  EXPECT_TRUE(videoLink);
  EXPECT_TRUE(audioOut);
}

} // namespace

#include <QProcess>

namespace {

// Runs the inspector while this process's event loop answers its calls.
QString Inspect(const QStringList &args, int *exitCode) {
  QProcess p;
  p.start(QDVD_GRAPHS_TOOL, args);
  QDeadlineTimer deadline(10000);
  while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    QCoreApplication::processEvents();
    p.waitForFinished(10);
  }
  *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(DvdCallbacks, TheInspectorListsThePlayingGraphAndPrintsIt) {
  fg.SetGraphEdit(true);
  ASSERT_EQ(Render(), S_OK);
  ASSERT_TRUE(fg.Play());
  int code = -1;
  const QString list = Inspect({}, &code);
  EXPECT_EQ(code, 0);
  const QString name = list.section('\t', 0, 0);
  EXPECT_TRUE(name.startsWith("FilterGraph ")) << list.toStdString();
  EXPECT_TRUE(name.endsWith(" pid " + QString::number(QCoreApplication::applicationPid(), 16).toUpper()));

  const QString graph = Inspect({name}, &code);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(graph.contains("State: Running")) << graph.toStdString();
  EXPECT_TRUE(graph.contains("\"DVD Navigator\""));
  EXPECT_TRUE(graph.contains("\"MPEG Video Decoder\""));
  EXPECT_TRUE(graph.contains("\"Video Renderer\""));
  EXPECT_TRUE(graph.contains("\"Audio Renderer\""));
  EXPECT_TRUE(graph.contains("DVD Navigator/Video -> MPEG Video Decoder/"));
  EXPECT_TRUE(graph.contains("DVD_ENCRYPTED_PACK / MPEG2_VIDEO, 720x480"));

  fg.ClearGraph();
  fg.SetActive(false);
  EXPECT_EQ(Inspect({}, &code), "");
  Inspect({name}, &code);
  EXPECT_EQ(code, 1);
}

} // namespace
