// The chapter label follows the picture on the screen: "Capitolo: N" is painted within
// 40 ms of the first painted picture of chapter N, judged by the frame codes the
// authored disc draws into every picture, in normal play across a chapter boundary and
// after a next chapter click on the control panel.
#include "display_fixture.h"

#include "render/renderer_probe.h"
#include "render/video_widget.h"
#include "support/media/frame_code.h"

#include <QPointer>

#include <optional>
#include <vector>

namespace {

// The frame code of a picture as the video widget holds it (I420 from the decoder's
// pool, or RGB32); -1 when it carries none.
int CodeOf(const render::VideoFrame &f) {
  if (!f.image.isNull())
    return testmedia::ReadFrameCode(f.image.constBits(), static_cast<int>(f.image.bytesPerLine()), f.image.width());
  if (!f.yuv.planes[0] || f.yuv.width <= 0 || f.yuv.height < 16) return -1;
  const uint8_t *line = f.yuv.planes[0] + 8L * f.yuv.strides[0];
  auto at = [&](int storedX) { return line[storedX * f.yuv.width / 720]; };
  if (at(660) < 128 || at(700) >= 128) return -1;
  int code = 0;
  for (int i = 0; i < 16; ++i) code = code * 2 + (at(40 * i + 20) >= 128 ? 1 : 0);
  return code;
}

// Every paint of the video widget (with the code of the picture it paints) and of the
// chapter label (with its text), stamped on one clock as the paint begins.
class PaintLog : public QObject {
public:
  struct Picture {
    qint64 ns;
    int code;
  };
  struct Label {
    qint64 ns;
    QString text;
  };

  PaintLog(render::VideoWidget *video, QWidget *label) : video_(video), label_(label) {
    clock_.start();
    video->installEventFilter(this);
    label->installEventFilter(this);
  }
  ~PaintLog() override {
    if (video_) video_->removeEventFilter(this);
    if (label_) label_->removeEventFilter(this);
  }

  std::vector<Picture> pictures;
  std::vector<Label> labels;

  // The first painted picture with a code in [from, to) after index `after`.
  std::optional<Picture> FirstPicture(int from, int to, std::size_t after = 0) const {
    for (std::size_t i = after; i < pictures.size(); ++i)
      if (pictures[i].code >= from && pictures[i].code < to) return pictures[i];
    return std::nullopt;
  }
  std::optional<Label> FirstLabel(const QString &text, std::size_t after = 0) const {
    for (std::size_t i = after; i < labels.size(); ++i)
      if (labels[i].text == text) return labels[i];
    return std::nullopt;
  }

protected:
  bool eventFilter(QObject *object, QEvent *event) override {
    if (event->type() != QEvent::Paint) return false;
    const qint64 now = clock_.nsecsElapsed();
    if (object == video_ && video_->HasPicture()) pictures.push_back({now, CodeOf(video_->Current())});
    else if (object == label_) labels.push_back({now, static_cast<QLabel *>(object)->text()});
    return false;
  }

private:
  QElapsedTimer clock_;
  QPointer<render::VideoWidget> video_;
  QPointer<QWidget> label_;
};

class ChapterLabelTest : public PlayDisplayTest {
protected:
  // The video renderer's picture widget in the graph that plays now.
  render::VideoWidget *PictureWidget() {
    ComPtr<IGraphBuilder> graph = Query<IGraphBuilder>();
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(&filters))) return nullptr;
    ComPtr<IBaseFilter> f;
    while (filters->Next(1, &f, nullptr) == S_OK) {
      ComPtr<IRendererProbe> probe;
      if (SUCCEEDED(f->QueryInterface(IID_PPV_ARGS(&probe))) && probe)
        if (auto *w = dynamic_cast<render::VideoWidget *>(probe->PictureWidget())) return w;
    }
    return nullptr;
  }
};

// How far apart the label's paint and the picture's paint may lie.
constexpr qint64 kWithin = 40'000'000;

std::string Ms(qint64 ns) { return std::to_string(ns / 1000000.0) + " ms"; }

TEST_F(ChapterLabelTest, TheChapterLabelChangesWithTheChaptersFirstPictureInPlayAndAfterASkip) {
  PlayMenuDisc();
  render::VideoWidget *video = PictureWidget();
  ASSERT_NE(video, nullptr) << "no video renderer widget in the graph";
  PaintLog log(video, FormDVDPlayer->Labelcap);
  StartTitle(1);

  // Normal play: title 1's chapters are 120 pictures each; chapter 2 starts at 120.
  ASSERT_TRUE(WaitFor([&] { return log.FirstPicture(120, 240) && log.FirstLabel("Capitolo: 2"); }, 15000))
      << "chapter 2 did not show; label " << Chapter().toStdString();
  const auto picture2 = *log.FirstPicture(120, 240);
  const auto label2 = *log.FirstLabel("Capitolo: 2");
  EXPECT_LE(picture2.code, 122) << "the first pictures of chapter 2 were not painted";
  ASSERT_TRUE(log.FirstPicture(100, 120)) << "chapter 1 was not painted up to its end";
  EXPECT_LE(label2.ns - picture2.ns, kWithin) << "the label lags chapter 2's picture by " << Ms(label2.ns - picture2.ns);
  EXPECT_LE(picture2.ns - label2.ns, kWithin)
      << "the label runs ahead of chapter 2's picture by " << Ms(picture2.ns - label2.ns);
  std::printf("chapter 2 in play: label %+.1f ms from its first picture (code %d)\n",
              (label2.ns - picture2.ns) / 1e6, picture2.code);

  // A next chapter click early in chapter 2 skips to chapter 3 (code 240 on).
  ASSERT_LT(log.pictures.back().code, 180) << "chapter 2 is too far on for a skip";
  const std::size_t pictures = log.pictures.size(), labels = log.labels.size();
  Press(FormDVDPlayer->sBitBtn7,
        [&] { return log.FirstPicture(240, 360, pictures) && log.FirstLabel("Capitolo: 3", labels); });
  const auto picture3 = *log.FirstPicture(240, 360, pictures);
  const auto label3 = *log.FirstLabel("Capitolo: 3", labels);
  EXPECT_LE(picture3.code, 242) << "the skip did not start at chapter 3's first picture";
  EXPECT_FALSE(log.FirstPicture(180, 240, pictures)) << "chapter 2 played on instead of being skipped";
  EXPECT_LE(label3.ns - picture3.ns, kWithin) << "after the skip the label lags the picture by "
                                               << Ms(label3.ns - picture3.ns);
  EXPECT_LE(picture3.ns - label3.ns, kWithin) << "after the skip the label runs ahead of the picture by "
                                               << Ms(picture3.ns - label3.ns);
  std::printf("chapter 3 after a skip: label %+.1f ms from its first picture (code %d)\n",
              (label3.ns - picture3.ns) / 1e6, picture3.code);
  EXPECT_TRUE(dialogs->messages.empty());
}

} // namespace
