// How soon a sound track or subtitles chosen while the title plays are heard and seen,
// on the authored NTSC test disc (title 1: English 440 Hz and Italian 880 Hz tracks,
// Italian captions 0.5 s to 3.5 s into each chapter, every picture with its frame
// number), through the real DVD graph:
//   - sound: from IDvdControl2::SelectAudioStream to the first 10 ms of the new tone
//     handed to the sound device (SDL's disk driver in real time), and the longest
//     stretch of neither tone around the change;
//   - subtitles: from SetSubpictureState(TRUE), one second into a chapter (a caption
//     under way), to the first picture put on the screen with the caption, and from
//     SetSubpictureState(FALSE) to the first without it.
// Ten of each from one second into a chapter; prints each, then the medians.
//   stream_switch_latency <ntsc_menu folder>
// Without DISPLAY it runs on Qt's offscreen platform.
#include "graph_filters.h"
#include "com/registry.h"
#include "dshow/dshow.h"
#include "media/frame_code.h"
#include "render/renderer_probe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kRate = 48000;
constexpr int kWindow = kRate / 100; // 10 ms

bool WaitFor(const std::function<bool()> &done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(1);
  }
  return true;
}

// Share of a window's energy at `freq` (Goertzel), 0..1, and its level.
double ToneShare(const float *v, int n, double freq, double *energy) {
  const double w = 2 * M_PI * freq / kRate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, e = 0;
  for (int i = 0; i < n; ++i) {
    const double s = v[2 * i] + c * s1 - s2;
    s2 = s1;
    s1 = s;
    e += static_cast<double>(v[2 * i]) * v[2 * i];
  }
  *energy = e / n;
  return e > 0 ? 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (n * e) : 0;
}

// 'E' 440 Hz, 'I' 880 Hz, '.' quiet, '?' anything else, per 10 ms of the file from `from`.
std::string Tones(const QString &file, qint64 fromFrame, int windows) {
  QFile f(file);
  std::string out;
  if (!f.open(QIODevice::ReadOnly) || !f.seek(fromFrame * 8)) return out;
  const QByteArray bytes = f.read(static_cast<qint64>(windows) * kWindow * 8);
  const auto *s = reinterpret_cast<const float *>(bytes.constData());
  for (int w = 0; (w + 1) * kWindow * 8 <= bytes.size(); ++w) {
    double e = 0;
    const double en = ToneShare(s + w * kWindow * 2, kWindow, 440, &e);
    const double it = ToneShare(s + w * kWindow * 2, kWindow, 880, &e);
    out += e < 1e-6 ? '.' : en > 0.8 ? 'E' : it > 0.8 ? 'I' : '?';
  }
  return out;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QString sound = QDir::temp().filePath(QString("stream_switch_latency-%1.raw").arg(getpid()));
  qputenv("SDL_AUDIODRIVER", "disk");
  qputenv("SDL_DISKAUDIOFILE", sound.toLocal8Bit());
  qunsetenv("SDL_DISKAUDIODELAY");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <ntsc_menu folder>\n", argv[0]);
    return 2;
  }
  CoInitialize(nullptr);
  ComPtr<IDvdGraphBuilder> builder;
  if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder)))) {
    std::fprintf(stderr, "no DVD graph builder\n");
    return 1;
  }
  const std::string path = argv[1];
  const std::u16string wide(path.begin(), path.end());
  AM_DVD_RENDERSTATUS status{};
  if (builder->RenderDvdVideoVolume(wide.c_str(), 0, &status) != S_OK) {
    std::fprintf(stderr, "the disc does not render\n");
    return 1;
  }
  ComPtr<IGraphBuilder> graph;
  builder->GetFiltergraph(&graph);
  ComPtr<IMediaControl> control;
  graph.As(&control);
  ComPtr<IDvdControl2> dvd;
  builder->GetDvdInterface(IID_PPV_ARGS(&dvd));
  ComPtr<IRendererProbe> probe = FirstFilterWith<IRendererProbe>(graph.Get());
  ComPtr<IVideoWindow> window = FirstFilterWith<IVideoWindow>(graph.Get());
  if (!dvd || !probe || !window) {
    std::fprintf(stderr, "no navigator or video renderer\n");
    return 1;
  }
  window->SetWindowPosition(0, 0, 720, 480);
  window->put_Visible(-1);

  QElapsedTimer clock;
  clock.start();
  std::atomic<int> lastCode{-1};
  std::atomic<qint64> captionAt{-1}, clearAt{-1};
  probe->SetPresentedCallback([&](const render::PresentedFrame &shown) {
    const QImage image = shown.Image().convertToFormat(QImage::Format_RGB32);
    lastCode = testmedia::ReadFrameCode(image.constBits(), static_cast<int>(image.bytesPerLine()), image.width(),
                                        8 * image.height() / 480);
    // The caption is white text in the lower part, where the test picture has none.
    int white = 0;
    for (int y = image.height() * 3 / 5; y < image.height(); y += 2) {
      const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
      for (int x = 0; x < image.width(); x += 2)
        white += qRed(line[x]) > 215 && qGreen(line[x]) > 215 && qBlue(line[x]) > 215;
    }
    if (white > 50 && captionAt < 0) captionAt = clock.nsecsElapsed();
    if (white <= 50 && clearAt < 0) clearAt = clock.nsecsElapsed();
  });
  auto frames = [&] { return QFileInfo(sound).size() / 8; };
  control->Run();
  std::vector<double> heard, gaps, seen, gone;
  for (int i = 0; i < 10; ++i) {
    const ULONG chapter = 1 + static_cast<ULONG>(i % 3);
    const int at = static_cast<int>(chapter - 1) * 120 + 30;
    const HRESULT played = dvd->PlayChapterInTitle(1, chapter, DVD_CMD_FLAG_Block, nullptr);
    const HRESULT off = dvd->SetSubpictureState(FALSE, DVD_CMD_FLAG_Block, nullptr);
    if (FAILED(played) || FAILED(off) || !WaitFor([&] { return lastCode >= at && lastCode < at + 30; }, 10000)) {
      std::fprintf(stderr, "chapter %u does not play (%08x %08x, frame %d)\n", static_cast<unsigned>(chapter),
                   static_cast<unsigned>(played), static_cast<unsigned>(off), lastCode.load());
      return 1;
    }
    // Sound.
    const ULONG track = i % 2 ? 0 : 1;
    const char want = track ? 'I' : 'E', old = track ? 'E' : 'I';
    const qint64 asked = frames();
    if (FAILED(dvd->SelectAudioStream(track, 0, nullptr))) {
      std::fprintf(stderr, "the sound track cannot be chosen\n");
      return 1;
    }
    if (!WaitFor([&] { return frames() >= asked + kRate * 3 / 2; }, 5000)) {
      std::fprintf(stderr, "the sound does not play\n");
      return 1;
    }
    const std::string tones = Tones(sound, asked, 150);
    const std::size_t first = tones.find(want);
    const std::size_t lastOld = tones.rfind(old, first);
    const double ms = first == std::string::npos ? -1 : first * 10.0;
    const double gap = first == std::string::npos ? -1 : (first - (lastOld == std::string::npos ? 0 : lastOld + 1)) * 10.0;
    heard.push_back(ms);
    gaps.push_back(gap);
    // Subtitles on with a caption under way.
    captionAt = -1;
    const qint64 shownAsked = clock.nsecsElapsed();
    if (FAILED(dvd->SetSubpictureState(TRUE, 0, nullptr))) {
      std::fprintf(stderr, "subtitles cannot be switched on\n");
      return 1;
    }
    const bool caption = WaitFor([&] { return captionAt >= 0; }, 3000);
    seen.push_back(caption ? (captionAt - shownAsked) / 1e6 : -1);
    // And off again while it is authored.
    clearAt = -1;
    const qint64 hideAsked = clock.nsecsElapsed();
    if (FAILED(dvd->SetSubpictureState(FALSE, 0, nullptr))) {
      std::fprintf(stderr, "subtitles cannot be switched off\n");
      return 1;
    }
    const bool cleared = WaitFor([&] { return clearAt >= 0; }, 3000);
    gone.push_back(cleared ? (clearAt - hideAsked) / 1e6 : -1);
    std::printf("%2d: %s heard after %4.0f ms (gap %3.0f ms), caption shown after %5.1f ms, hidden after %5.1f ms  %s\n",
                i + 1, track ? "Italian" : "English", ms, gap, seen.back(), gone.back(), tones.substr(0, 40).c_str());
  }
  control->Stop();
  QFile::remove(sound);
  std::printf("median: sound heard after %.0f ms (longest gap %.0f ms), caption shown after %.1f ms, hidden after "
              "%.1f ms\n",
              Median(heard), *std::max_element(gaps.begin(), gaps.end()), Median(seen), Median(gone));
  return 0;
}
