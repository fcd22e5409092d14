// Soak run of the player on the authored discs: random chapter skips, scans, menu
// visits, pauses, bookmark saves and restores and opens of another disc, for a given
// number of minutes (default 30), sampling the resident set every 10 s. Prints each
// sample, every message box the player showed, and the growth of the resident set
// from minute 5 (or a fifth of the run) to the end.
//   soak [minutes] [seed]        (bench/soak.sh builds it and runs it under Xvfb)
#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/bookmark_file.h"
#include "app/startup.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/menus.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

// Answers every box at once and tells what it said; the open dialog answers the
// next disc of the list.
class SoakDialogs : public DialogService {
public:
  QStringList discs;
  int next = 0;
  std::vector<QString> messages;
  QElapsedTimer *clock = nullptr;

  int MessageBox(const QString &text, const QString &caption, unsigned) override {
    messages.push_back(text);
    std::printf("%7.1f s  box \"%s\": %s\n", clock->elapsed() / 1000.0, qUtf8Printable(caption),
                qUtf8Printable(QString(text).replace('\n', " / ")));
    std::fflush(stdout);
    return IDOK;
  }
  int ShowModal(QWidget *form) override {
    if (form) form->hide();
    return IDOK;
  }
  bool OpenFile(const OpenDialogRequest &, QString *fileName) override {
    *fileName = discs[next++ % discs.size()] + "/VIDEO_TS/VIDEO_TS.IFO";
    return true;
  }
};

long ResidentKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

} // namespace

int main(int argc, char **argv) {
  TPlayerApplication app(argc, argv);
  const double minutes = argc > 1 ? std::atof(argv[1]) : 30.0;
  const unsigned seed = argc > 2 ? unsigned(std::atoi(argv[2])) : 1u;
  const QString fixtures = qEnvironmentVariable("QDVD_FIXTURE_DIR");
  if (fixtures.isEmpty()) {
    std::fprintf(stderr, "soak: set QDVD_FIXTURE_DIR to the authored discs\n");
    return 2;
  }
  auto dialogs = std::make_shared<SoakDialogs>();
  dialogs->discs = {fixtures + "/ntsc_menu", fixtures + "/pal_wide"};
  QElapsedTimer clock;
  clock.start();
  dialogs->clock = &clock;
  SetDialogService(dialogs);

  CoInitialize(nullptr);
  Application().SetTitle(QStringLiteral("Quovadel DVD"));
  BookmarkFile(); // the bookmark's place is chosen once, now
  CreateApplicationForms();
  Form3->SetVisible(true);
  qputenv("DVD_DEVICE", (fixtures + "/ntsc_menu").toLocal8Bit());

  TFormDVDPlayer *f = FormDVDPlayer;
  struct Action {
    const char *name;
    std::function<void()> run;
  };
  const std::vector<Action> actions = {
      {"play", [f] { f->PlayMenu->trigger(); }},
      {"next chapter", [f] { f->NextChapterMenu->trigger(); }},
      {"previous chapter", [f] { f->PreviousChapterMenu->trigger(); }},
      {"fast forward", [f] { f->FastForward1->trigger(); }},
      {"rewind", [f] { f->Rewind1->trigger(); }},
      {"root menu", [f] { f->MenuRoot->trigger(); }},
      {"title menu", [f] { f->TitleMenu->trigger(); }},
      {"pause", [f] { f->PauseMenu->trigger(); }},
      {"save bookmark", [f] { f->SavebookmarkMenu->trigger(); }},
      {"restore bookmark", [f] { f->RestorebookmarkMenu->trigger(); }},
      {"open other disc", [f] { f->OpenMenu->trigger(); }},
  };
  std::mt19937 random(seed);
  std::vector<int> counts(actions.size(), 0);
  std::vector<std::pair<double, long>> samples;

  QTimer act;
  QObject::connect(&act, &QTimer::timeout, [&] {
    // Mostly playing: half the turns only let it play.
    if (random() % 2) return;
    const std::size_t i = random() % actions.size();
    ++counts[i];
    Application().Guard(nullptr, actions[i].run);
    act.setInterval(300 + int(random() % 1700));
  });
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, [&] {
    const double at = clock.elapsed() / 60000.0;
    samples.emplace_back(at, ResidentKiB());
    std::printf("%7.1f s  rss %ld KiB  (graph %s)\n", clock.elapsed() / 1000.0, samples.back().second,
                FormDVDPlayer->FilterGraph->Active() ? "active" : "none");
    std::fflush(stdout);
    if (at >= minutes) QCoreApplication::exit(0);
  });
  QTimer::singleShot(0, [f] { f->PlayMenu->trigger(); });
  act.start(1000);
  sample.start(10000);
  const int code = RunApplicationLoop();
  act.stop();
  sample.stop();
  Application().Guard(nullptr, [f] { f->ExitMenuClick(nullptr); });

  std::printf("\nactions:");
  for (std::size_t i = 0; i < actions.size(); ++i) std::printf(" %s %d;", actions[i].name, counts[i]);
  std::printf("\nmessage boxes: %zu\n", dialogs->messages.size());
  std::map<QString, int> distinct;
  for (const QString &m : dialogs->messages) ++distinct[m];
  for (const auto &[text, n] : distinct)
    std::printf("  %d x %s\n", n, qUtf8Printable(QString(text).replace('\n', " / ")));
  const double from = minutes >= 10 ? 5.0 : minutes / 5;
  long first = -1, last = samples.empty() ? -1 : samples.back().second;
  double firstAt = 0;
  for (const auto &[at, kib] : samples)
    if (at >= from) {
      first = kib;
      firstAt = at;
      break;
    }
  if (first > 0 && last > 0)
    std::printf("rss at %.1f min: %ld KiB, at %.1f min: %ld KiB, growth %+ld KiB (%+.1f %%)\n", firstAt, first,
                samples.back().first, last, last - first, 100.0 * double(last - first) / double(first));
  DestroyApplicationForms();
  CoUninitialize();
  return code;
}
