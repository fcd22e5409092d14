#include "app/stream_menus.h"

#include "engine/filter_graph.h"
#include "framework/menus.h"
#include "win/locale.h"


namespace {

QString LanguageName(LCID language) {
  char name[261] = {};
  if (language == 0 || GetLocaleInfoA(language, LOCALE_SLANGUAGE, name, 260) <= 1) return {};
  return QString::fromLatin1(name);
}

QString FormatName(DVD_AUDIO_FORMAT format) {
  switch (format) {
  case DVD_AudioFormat_AC3:
    return QStringLiteral("AC-3");
  case DVD_AudioFormat_MPEG1:
  case DVD_AudioFormat_MPEG1_DRC:
  case DVD_AudioFormat_MPEG2:
  case DVD_AudioFormat_MPEG2_DRC:
    return QStringLiteral("MPEG");
  case DVD_AudioFormat_LPCM:
    return QStringLiteral("LPCM");
  case DVD_AudioFormat_DTS:
    return QStringLiteral("DTS");
  case DVD_AudioFormat_SDDS:
    return QStringLiteral("SDDS");
  default:
    return QStringLiteral("altro formato");
  }
}

void ClearItems(TMenuItem *menu) {
  while (menu->Count() > 0) {
    TMenuItem *item = menu->Items(menu->Count() - 1);
    menu->Remove(item);
    delete item;
  }
}

void AddChoice(TMenuItem *menu, const QString &caption, bool checked, std::function<void()> run) {
  auto *item = new TMenuItem(menu);
  item->SetCaption(caption);
  item->setCheckable(true);
  item->setChecked(checked);
  item->OnClick = [run = std::move(run)](QObject *) { run(); };
  menu->Add(item);
}

} // namespace

QString AudioStreamCaption(const DVD_AudioAttributes &a, ULONG stream) {
  QString language = LanguageName(a.Language);
  if (language.isEmpty()) language = QStringLiteral("Traccia %1").arg(stream + 1);
  const int channels = a.bNumberOfChannels;
  const QString count = channels == 1 ? QStringLiteral("1 canale") : QStringLiteral("%1 canali").arg(channels);
  return QStringLiteral("%1 (%2, %3)").arg(language, FormatName(a.AudioFormat), count);
}

QString SubtitleCaption(LCID language, ULONG stream) {
  QString name = LanguageName(language);
  return name.isEmpty() ? QStringLiteral("Sottotitoli %1").arg(stream + 1) : name;
}

StreamChoices ReadStreamChoices(IDvdInfo2 *info) {
  StreamChoices c;
  DVD_DOMAIN domain = DVD_DOMAIN_Stop;
  if (!info || FAILED(info->GetCurrentDomain(&domain)) || domain != DVD_DOMAIN_Title) return c;
  ULONG available = 0, current = 0;
  if (SUCCEEDED(info->GetCurrentAudio(&available, &current))) {
    for (ULONG i = 0; i < available; ++i) {
      DVD_AudioAttributes a{};
      if (FAILED(info->GetAudioAttributes(i, &a))) {
        a = DVD_AudioAttributes{};
        a.AudioFormat = DVD_AudioFormat_Other;
        a.bNumberOfChannels = 2;
        info->GetAudioLanguage(i, &a.Language);
      }
      c.audio.push_back(AudioStreamCaption(a, i));
    }
    if (current < available) c.audioCurrent = static_cast<int>(current);
  }
  BOOL disabled = TRUE;
  available = current = 0;
  if (SUCCEEDED(info->GetCurrentSubpicture(&available, &current, &disabled))) {
    for (ULONG i = 0; i < available; ++i) {
      LCID language = 0;
      if (FAILED(info->GetSubpictureLanguage(i, &language))) language = 0;
      c.subtitles.push_back(SubtitleCaption(language, i));
    }
    if (!disabled && current < available) c.subtitleCurrent = static_cast<int>(current);
  }
  available = current = 0;
  if (SUCCEEDED(info->GetCurrentAngle(&available, &current)) && available > 1) {
    c.angles = static_cast<int>(available);
    c.angleCurrent = static_cast<int>(current);
  }
  c.enabled = true;
  return c;
}

void FillStreamMenus(const StreamChoices &c, TMenuItem *audio, TMenuItem *subtitles, TMenuItem *angle,
                     const StreamChoose &choose) {
  for (TMenuItem *menu : {audio, subtitles, angle})
    ClearItems(menu);
  audio->SetEnabled(c.enabled && !c.audio.empty());
  subtitles->SetEnabled(c.enabled);
  angle->SetEnabled(c.enabled);
  angle->SetVisible(c.enabled && c.angles > 1);
  if (!c.enabled) return;
  for (int i = 0; i < static_cast<int>(c.audio.size()); ++i)
    AddChoice(audio, c.audio[static_cast<std::size_t>(i)], i == c.audioCurrent, [choose, i] { choose(0, i); });
  AddChoice(subtitles, QStringLiteral("Nessuno"), c.subtitleCurrent < 0, [choose] { choose(1, -1); });
  for (int i = 0; i < static_cast<int>(c.subtitles.size()); ++i)
    AddChoice(subtitles, c.subtitles[static_cast<std::size_t>(i)], i == c.subtitleCurrent,
              [choose, i] { choose(1, i); });
  if (c.angles > 1)
    for (int i = 1; i <= c.angles; ++i)
      AddChoice(angle, QString::number(i), i == c.angleCurrent, [choose, i] { choose(2, i); });
}

void ChooseStream(IDvdControl2 *control, int kind, int value) {
  if (!control) return;
  ComPtr<IDvdCmd> cmd;
  switch (kind) {
  case 0:
    control->SelectAudioStream(static_cast<ULONG>(value), 0, &cmd);
    break;
  case 1:
    if (value < 0) {
      control->SetSubpictureState(FALSE, 0, &cmd);
    } else if (SUCCEEDED(control->SelectSubpictureStream(static_cast<ULONG>(value), 0, &cmd))) {
      cmd.Reset();
      control->SetSubpictureState(TRUE, 0, &cmd);
    }
    break;
  case 2:
    control->SelectAngle(static_cast<ULONG>(value), 0, &cmd);
    break;
  default:
    break;
  }
}

int NextAudioStream(const StreamChoices &c) {
  if (!c.enabled || c.audio.size() < 2) return -2;
  return (c.audioCurrent + 1) % static_cast<int>(c.audio.size());
}

int NextSubtitleChoice(const StreamChoices &c) {
  if (!c.enabled || c.subtitles.empty()) return -2;
  const int next = c.subtitleCurrent + 1;
  return next >= static_cast<int>(c.subtitles.size()) ? -1 : next;
}

ComPtr<IDvdInfo2> StreamInfo(TFilterGraph *graph) {
  ComPtr<IDvdInfo2> info;
  if (!graph || !graph->Active() || FAILED(graph->QueryInterface(info.ReleaseAndGetAddressOf()))) return {};
  return info;
}

void StepStream(TFilterGraph *graph, bool audio) {
  ComPtr<IDvdInfo2> info = StreamInfo(graph);
  const StreamChoices choices = ReadStreamChoices(info.Get());
  const int next = audio ? NextAudioStream(choices) : NextSubtitleChoice(choices);
  if (next == -2) return;
  ComPtr<IDvdControl2> control;
  if (SUCCEEDED(graph->QueryInterface(control.ReleaseAndGetAddressOf()))) ChooseStream(control.Get(), audio ? 0 : 1, next);
}
