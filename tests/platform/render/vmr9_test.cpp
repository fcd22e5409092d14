// The mixing renderer: configuration as a program sets it up, and windowless drawing
// into the program's window at the destination rectangle with letterbox or stretch.
#include "media/playback.h"
#include "support/fixtures.h"
#include "win/winuser.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

namespace {

ComPtr<IBaseFilter> NewVmr() {
  CoInitialize(nullptr);
  ComPtr<IBaseFilter> vmr;
  CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&vmr));
  return vmr;
}

int CountPins(IBaseFilter *f) {
  ComPtr<IEnumPins> pins;
  f->EnumPins(&pins);
  int n = 0;
  ComPtr<IPin> pin;
  while (pins->Next(1, &pin, nullptr) == S_OK) ++n;
  return n;
}

bool IsBlack(QRgb c) { return qRed(c) < 24 && qGreen(c) < 24 && qBlue(c) < 24; }

} // namespace

TEST(Vmr9Config, ModesStreamsAndPreferencesAsARealOne) {
  ComPtr<IBaseFilter> vmr = NewVmr();
  ASSERT_TRUE(vmr);
  ComPtr<IVMRFilterConfig9> config;
  ASSERT_TRUE(SUCCEEDED(vmr.As(&config)));
  DWORD mode = 0;
  ASSERT_EQ(config->GetRenderingMode(&mode), S_OK);
  EXPECT_EQ(mode, VMR9Mode_Windowed);
  ComPtr<IVideoWindow> window;
  EXPECT_TRUE(SUCCEEDED(vmr.As(&window)));

  EXPECT_EQ(config->SetRenderingMode(VMR9Mode_Renderless), VFW_E_WRONG_STATE); // no allocator-presenter
  EXPECT_EQ(config->SetRenderingMode(3), E_INVALIDARG);
  ASSERT_EQ(config->SetRenderingMode(VMR9Mode_Windowless), S_OK);
  config->GetRenderingMode(&mode);
  EXPECT_EQ(mode, VMR9Mode_Windowless);
  EXPECT_EQ(vmr.As(&window), E_NOINTERFACE);

  EXPECT_EQ(config->SetNumberOfStreams(0), E_INVALIDARG);
  EXPECT_EQ(config->SetNumberOfStreams(17), E_INVALIDARG);
  ASSERT_EQ(config->SetNumberOfStreams(4), S_OK);
  DWORD streams = 0;
  config->GetNumberOfStreams(&streams);
  EXPECT_EQ(streams, 4u);
  EXPECT_EQ(CountPins(vmr.Get()), 4);
  ASSERT_EQ(config->SetNumberOfStreams(16), S_OK);
  EXPECT_EQ(CountPins(vmr.Get()), 16);

  // Kept: offscreen, no colour key and border, initial monitor. Dropped: overlays, AGP.
  ASSERT_EQ(config->SetRenderingPrefs(RenderPrefs_ForceOffscreen | RenderPrefs_ForceOverlays |
                                      RenderPrefs_DoNotRenderColorKeyAndBorder | RenderPrefs_PreferAGPMemWhenMixing |
                                      RenderPrefs_RestrictToInitialMonitor),
            S_OK);
  DWORD prefs = 0;
  config->GetRenderingPrefs(&prefs);
  EXPECT_EQ(prefs, RenderPrefs_ForceOffscreen | RenderPrefs_DoNotRenderColorKeyAndBorder |
                       RenderPrefs_RestrictToInitialMonitor);
  EXPECT_EQ(config->SetRenderingPrefs(0x40), E_INVALIDARG);

  ComPtr<IVMRAspectRatioControl9> aspect;
  ASSERT_TRUE(SUCCEEDED(vmr.As(&aspect)));
  EXPECT_EQ(aspect->SetAspectRatioMode(7), E_INVALIDARG);
  ASSERT_EQ(aspect->SetAspectRatioMode(VMR9ARMode_LetterBox), S_OK);
  DWORD arMode = 0;
  aspect->GetAspectRatioMode(&arMode);
  EXPECT_EQ(arMode, VMR9ARMode_LetterBox);
}

TEST(Vmr9Config, WindowlessCallsNeedWindowlessModeAndModeNeedsNoConnection) {
  Playback p;
  ASSERT_TRUE(p.Build(FixturePath("pal_wide/VIDEO_TS/VTS_01_1.VOB"), CLSID_VideoMixingRenderer9, false)) << p.error;
  ComPtr<IVMRWindowlessControl9> windowless;
  ASSERT_TRUE(SUCCEEDED(p.videoRenderer.As(&windowless)));
  RECT dst{0, 0, 100, 100};
  EXPECT_EQ(windowless->SetVideoPosition(nullptr, &dst), VFW_E_WRONG_STATE);
  ComPtr<IVMRFilterConfig9> config;
  p.videoRenderer.As(&config);
  EXPECT_EQ(config->SetRenderingMode(VMR9Mode_Windowless), VFW_E_WRONG_STATE); // connected already
  EXPECT_EQ(config->SetNumberOfStreams(2), VFW_E_WRONG_STATE);
}

namespace {

class Host : public QWidget {
public:
  std::vector<QPoint> presses;

protected:
  void mousePressEvent(QMouseEvent *e) override { presses.push_back(e->position().toPoint()); }
};

} // namespace

TEST(Vmr9Windowless, DrawsIntoTheProgramsWindowAtTheDestination) {
  NEEDS_DISPLAY();
  Host host;
  host.setGeometry(50, 50, 800, 600);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

  Playback p;
  CoInitialize(nullptr);
  ComPtr<IBaseFilter> vmr = NewVmr();
  ComPtr<IVMRFilterConfig9> config;
  vmr.As(&config);
  ASSERT_EQ(config->SetRenderingMode(VMR9Mode_Windowless), S_OK);
  ComPtr<IVMRWindowlessControl9> windowless;
  ASSERT_TRUE(SUCCEEDED(vmr.As(&windowless)));
  ASSERT_EQ(windowless->SetVideoClippingWindow(WindowFromWidget(&host)), S_OK);
  ASSERT_EQ(windowless->SetAspectRatioMode(VMR9ARMode_LetterBox), S_OK);
  RECT dst{100, 50, 740, 530}; // 640 x 480
  ASSERT_EQ(windowless->SetVideoPosition(nullptr, &dst), S_OK);

  // The chain with this renderer in it.
  ScopedClassRegistration useThis(CLSID_VideoMixingRenderer9, [vmr](REFIID iid, void **object) {
    return vmr->QueryInterface(iid, object);
  });
  ASSERT_TRUE(p.Build(FixturePath("pal_wide/VIDEO_TS/VTS_01_1.VOB"), CLSID_VideoMixingRenderer9, false)) << p.error;
  ASSERT_EQ(p.videoRenderer.Get(), vmr.Get());
  p.control->Pause();
  OAFilterState state;
  p.control->GetState(3000, &state);
  QTest::qWait(300);

  QImage shot = host.grab().toImage();
  if (const char *dir = std::getenv("QDVD_SAVE_DIR")) shot.save(QString(dir) + "/vmr9_windowless.png");
  // 16:9 in 640 x 480: 640 x 360 from y 110 on.
  for (int x = 110; x < 740; x += 60) {
    EXPECT_TRUE(IsBlack(shot.pixel(x, 55)) && IsBlack(shot.pixel(x, 108))) << x;
    EXPECT_TRUE(IsBlack(shot.pixel(x, 471)) && IsBlack(shot.pixel(x, 525))) << x;
    EXPECT_FALSE(IsBlack(shot.pixel(x, 300))) << x;
  }
  ComPtr<IPictureGeometry> geometry;
  ASSERT_TRUE(SUCCEEDED(vmr.As(&geometry)));
  RECT r;
  LONG w, h;
  ASSERT_EQ(geometry->GetPictureGeometry(&r, &w, &h), S_OK);
  EXPECT_EQ(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)), QRect(100, 110, 640, 360));
  LONG nw, nh, ax, ay;
  ASSERT_EQ(windowless->GetNativeVideoSize(&nw, &nh, &ax, &ay), S_OK);
  EXPECT_EQ(QSize(nw, nh), QSize(720, 576));
  EXPECT_EQ(QSize(ax, ay), QSize(16, 9));

  // Stretch: the picture covers the destination.
  ASSERT_EQ(windowless->SetAspectRatioMode(VMR9ARMode_None), S_OK);
  QTest::qWait(100);
  ASSERT_EQ(geometry->GetPictureGeometry(&r, &w, &h), S_OK);
  EXPECT_EQ(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)), QRect(100, 50, 640, 480));
  shot = host.grab().toImage();
  EXPECT_FALSE(IsBlack(shot.pixel(400, 100))); // where letterbox had its top bar

  // Clicks on the picture belong to the program's window.
  QTest::mouseClick(&host, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
  ASSERT_FALSE(host.presses.empty());
  EXPECT_EQ(host.presses.back(), QPoint(400, 300));

  BYTE *dib = nullptr;
  ASSERT_EQ(windowless->GetCurrentImage(&dib), S_OK);
  int32_t dibWidth, dibHeight;
  std::memcpy(&dibWidth, dib + 4, 4);
  std::memcpy(&dibHeight, dib + 8, 4);
  EXPECT_EQ(dibWidth, 720);
  EXPECT_EQ(dibHeight, 576);
  CoTaskMemFree(dib);
  p.control->Stop();
}
