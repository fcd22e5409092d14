// The sound track, subtitle and camera angle choices of the title that plays: read from
// the navigator when a menu opens, shown as ticked sub-menu items, chosen through the
// navigator's commands, and stepped through with keys (see player_keys.h).
#pragma once

#include "dshow/dvd.h"

#include <QString>

#include <functional>
#include <vector>

class TFilterGraph;
class TMenuItem;

struct StreamChoices {
  bool enabled = false;       // a title plays: the choices can be made
  std::vector<QString> audio; // one caption per audio stream
  int audioCurrent = -1;
  std::vector<QString> subtitles; // one caption per subpicture stream ("Nessuno" comes first in the menu)
  int subtitleCurrent = -1;       // -1: none shown
  int angles = 1;
  int angleCurrent = 1;
};

// "<language> (<format>, <n> canali)", the language in Italian; "Traccia <n>" stands for
// an unknown language.
QString AudioStreamCaption(const DVD_AudioAttributes &attributes, ULONG stream);
// The subpicture's language in Italian, or "Sottotitoli <n>".
QString SubtitleCaption(LCID language, ULONG stream);

// What the navigator offers now; disabled with no navigator or outside a title.
StreamChoices ReadStreamChoices(IDvdInfo2 *info);

// What a click on a sub-menu item asks for: kind 0 audio stream, 1 subpicture stream
// (-1 = none), 2 angle (from 1).
using StreamChoose = std::function<void(int kind, int value)>;

// Rebuilds the items of the three sub-menus from `choices`; each item calls `choose`.
// The angle menu shows only with more than one angle.
void FillStreamMenus(const StreamChoices &choices, TMenuItem *audio, TMenuItem *subtitles, TMenuItem *angle,
                     const StreamChoose &choose);

// The navigator commands for a choice; results are ignored as for every navigation
// command (a stream the disc forbids changes nothing).
void ChooseStream(IDvdControl2 *control, int kind, int value);

// The next audio stream after the current one (wrapping), and the next subtitle choice
// (the streams in order, then none, then the first again); -2 when there is nothing to step to.
int NextAudioStream(const StreamChoices &choices);
int NextSubtitleChoice(const StreamChoices &choices);

// The navigator of the graph component, or null.
ComPtr<IDvdInfo2> StreamInfo(TFilterGraph *graph);

// One step of the audio stream (audio true) or of the subtitles, as the player's keys
// ask for it; nothing without a graph or outside a title.
void StepStream(TFilterGraph *graph, bool audio);
