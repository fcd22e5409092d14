// The navigator thread's block loop: demultiplexing, pacing against the graph clock,
// time stamps, scans and the time events.
#include "dvd/engine.h"

#include "com/log.h"
#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dvd/scrambling.h"

#include <algorithm>
#include <cstring>

namespace dvd {
namespace {
constexpr media::StreamTime kLead = media::StreamTime::Milliseconds(1200); // how far ahead of the clock data may go
// Once held back, data waits until this much of it may go at once (it is then 1 s to
// 1.2 s ahead of the clock): the thread wakes a few times a second, not once a picture.
constexpr media::StreamTime kBatch = media::StreamTime::Milliseconds(200);
constexpr media::StreamTime kScanLead = media::StreamTime::Milliseconds(300);
constexpr int kMaxNoProgress = 100000;             // events and blocks without a picture
int Index(StreamKind k) { return k == StreamKind::Video ? 0 : k == StreamKind::Audio ? 1 : 2; }

// The number a stream is chosen by: MPEG sound by its stream id, the others by the
// private stream's sub-stream id.
int StreamIdOf(const PesPacket &p) {
  return p.kind == StreamKind::Audio && p.coding == AudioCoding::Mpeg ? p.streamId : p.subId;
}

} // namespace

void NavEngine::Step() {
  if (!pendingBlock_.empty()) {
    DeliverPending();
    return;
  }
  if (stillSkipDue_) {
    stillSkipDue_ = false;
    session_->StillSkip();
  }
  NavEvent ev = session_->Next();
  if (++noProgress_ > kMaxNoProgress) {
    // A disc whose program goes round without ever showing a picture.
    out_->Notify(EC_DVD_WARNING, DVD_WARNING_InvalidDVD1_0Disc, 0);
    OnStopped(true, "no progress", VFW_E_DVD_INVALID_DISC);
    return;
  }
  switch (ev.kind) {
  case NavEvent::Block:
    ++blockInVobu_;
    OnBlock(ev.data, ev.size);
    break;
  case NavEvent::NavPacket:
    if (VolumeGone()) OnStopped(true, "the volume went away");
    else OnNavPacket();
    break;
  case NavEvent::Still: OnStill(ev.stillSeconds); break;
  case NavEvent::Wait:
    out_->Drain();
    session_->WaitSkip();
    break;
  case NavEvent::HopChannel:
    if (expectSeekHop_) expectSeekHop_ = false;
    else FlushAll();
    break;
  case NavEvent::VtsChange: OnVtsChange(ev); break;
  case NavEvent::CellChange: OnCellChange(ev); break;
  case NavEvent::SpuStreamChange:
  case NavEvent::AudioStreamChange: UpdateStreams(); break;
  case NavEvent::Highlight: OnHighlight(ev.button); break;
  case NavEvent::ClutChange: out_->SetPalette(ev.clut.data()); break;
  case NavEvent::Stop: OnStopped(false, {}); break;
  case NavEvent::Error: OnStopped(true, ev.error); break;
  case NavEvent::Nop: break;
  }
}

void NavEngine::OnBlock(const BYTE *data, std::size_t size) {
  if (!data || size != kPackSize) return;
  if (PackScrambled(data, size)) return OnScrambled();
  if (speed_ != 1.0 && haveNav_ && !scanKeyDone_ && blockInVobu_ > static_cast<int>(dsi_.firstRefEnd)) {
    // The key frame of this VOBU is complete.
    scanKeyDone_ = true;
    out_->Drain();
    if (speed_ < 0) {
      if (navSector_ == 0 || !session_->SectorSearch(static_cast<LONGLONG>(navSector_) - 1)) {
        EndScan(true); // back at the start of the title: play on from here
        return;
      }
      expectSeekHop_ = true;
      return;
    }
  }
  if (speed_ != 1.0 && scanKeyDone_) return; // the rest of a VOBU in a scan
  pendingBlock_.assign(data, data + size);
  pendingIndex_ = 0;
  DeliverPending();
}

bool NavEngine::DeliverPending() {
  PesPacket packets[24];
  int n = DemuxPack(pendingBlock_.data(), pendingBlock_.size(), packets, 24);
  if (n < 0) qCDebug(lcDemux, "block after sector %u is no program stream pack", unsigned(navSector_));
  const bool scanning = speed_ != 1.0;
  const bool inTitle = GetSnapshot().domain == NavDomain::Title;
  for (int i = pendingIndex_; i < n; ++i) {
    const PesPacket &p = packets[i];
    bool deliver = false;
    switch (p.kind) {
    case StreamKind::Video: deliver = p.number == 0; break;
    case StreamKind::Audio: deliver = !scanning && audioId_ >= 0 && StreamIdOf(p) == audioId_; break;
    case StreamKind::Subpicture: deliver = !scanning && subpictureId_ >= 0 && StreamIdOf(p) == subpictureId_; break;
    default: break;
    }
    if (!timeline_.Mapped()) continue;
    // Sound and subpictures in a title are kept, chosen or not, for a later choice.
    const bool keep = !scanning && inTitle && (p.kind == StreamKind::Audio || p.kind == StreamKind::Subpicture);
    if (!deliver) {
      if (keep) recent_.Keep(p.kind, StreamIdOf(p), p.payload, p.size, p.hasPts, timeline_.ToStream(p.pts));
      continue;
    }
    const int k = Index(p.kind);
    SampleInfo info;
    std::optional<media::Ticks90k> titleTime; // of a stamped packet
    if (p.hasPts) {
      info.hasTime = true;
      if (scanning) {
        info.start = scanKeyTime_;
        titleTime = timeAtNav_;
      } else {
        info.start = timeline_.ToStream(p.pts);
        titleTime = timeAtNav_ + (p.pts - pci_.vobuStart);
      }
      media::StreamTime due = info.start - (scanning ? kScanLead : kLead), now;
      if (!scanning && out_->Now(&now) && now < due) due += kBatch;
      if (!WaitUntil(due)) {
        pendingIndex_ = i; // go on from this packet after the command
        return false;
      }
      if (prerollUntil_ && *titleTime < *prerollUntil_) info.preroll = true;
    }
    if (keep) recent_.Keep(p.kind, StreamIdOf(p), p.payload, p.size, p.hasPts, info.start);
    info.discontinuity = discontinuity_[k] || (scanning && p.kind == StreamKind::Video && p.hasPts);
    discontinuity_[k] = false;
    info.sync = p.kind == StreamKind::Video ? p.startsKeyFrame : p.hasPts;
    if (pendingFormat_[k]) {
      formats_[k] = *pendingFormat_[k];
      pendingFormat_[k].reset();
      info.newFormat = &formats_[k];
    }
    out_->DeliverSample(p.kind, p.payload, p.size, info);
    if (p.kind == StreamKind::Video) {
      noProgress_ = 0;
      if (titleTime && *titleTime >= media::Ticks90k() && inTitle && !info.preroll) {
        LONGLONG second = titleTime->ticks() / media::Ticks90k::kPerSecond;
        bool advance = lastSecond_ < 0 || (speed_ < 0 ? second < lastSecond_ : second > lastSecond_);
        if (advance) {
          lastSecond_ = second;
          QueueTimeMark(info.start, *titleTime);
        }
      }
    }
  }
  pendingBlock_.clear();
  pendingIndex_ = 0;
  return true;
}

void NavEngine::QueueTimeMark(media::StreamTime at, media::Ticks90k time90k) {
  marks_.push_back({at, time90k});
  while (marks_.size() > 64) marks_.pop_front();
}

void NavEngine::QueueStatus(LONG code, LONG_PTR p1, LONG_PTR p2) {
  TimeMark m{media::StreamTime(), media::Ticks90k(), code, p1, p2};
  pendingStatus_.push_back(m);
}

void NavEngine::ScheduleStatus(media::StreamTime at) {
  for (TimeMark m : pendingStatus_) {
    m.at = at;
    auto later = [](const TimeMark &a, const TimeMark &b) { return a.at < b.at; };
    marks_.insert(std::upper_bound(marks_.begin(), marks_.end(), m, later), m);
  }
  pendingStatus_.clear();
}

void NavEngine::SendDueTimeMarks(media::StreamTime now) {
  FrameRate rate = GetSnapshot().rate;
  while (!marks_.empty() && marks_.front().at <= now) {
    const TimeMark mark = marks_.front();
    marks_.pop_front();
    if (mark.code != 0) {
      out_->Notify(mark.code, mark.p1, mark.p2);
      continue;
    }
    DVD_HMSF_TIMECODE tc = TimecodeFrom90k(mark.time90k, rate);
    if (hmsfEvents_)
      out_->Notify(EC_DVD_CURRENT_HMSF_TIME, static_cast<LONG_PTR>(PackHmsf(tc)),
                   static_cast<LONG_PTR>(PackBcdTime(tc, rate)));
    else
      out_->Notify(EC_DVD_CURRENT_TIME, static_cast<LONG_PTR>(PackBcdTime(tc, rate)),
                   static_cast<LONG_PTR>(TimecodeFlags(rate)));
  }
}

void NavEngine::Replay(StreamKind kind, int id) {
  const int k = Index(kind);
  out_->FlushStream(kind);
  discontinuity_[k] = true;
  if (id < 0) return;
  // From the sound or the caption of the picture on screen; what is older than that
  // is dropped downstream as late, what is later waits for its time.
  const media::StreamTime now = NowOr(lastNow_);
  for (const KeptPacket *p : recent_.From(kind, id, now)) {
    SampleInfo info;
    info.hasTime = p->hasTime;
    info.start = p->start;
    info.sync = p->hasTime;
    info.discontinuity = discontinuity_[k];
    discontinuity_[k] = false;
    if (pendingFormat_[k]) {
      formats_[k] = *pendingFormat_[k];
      pendingFormat_[k].reset();
      info.newFormat = &formats_[k];
    }
    out_->DeliverSample(kind, p->payload.data(), p->payload.size(), info);
  }
}

void NavEngine::FlushAll() {
  out_->Flush();
  recent_.Clear();
  navSinceFlush_ = false;
  timeline_.Break();
  for (bool &d : discontinuity_) d = true;
  pendingBlock_.clear();
  pendingIndex_ = 0;
  marks_.clear();
  lastSecond_ = -1;
  // What was on screen is gone: the next VOBU is the picture from now on.
  std::lock_guard g(lock_);
  shown_.Clear();
}

StreamSet NavEngine::CurrentStreams() const {
  Snapshot s = GetSnapshot();
  int ts = s.titleSet;
  bool haveSet = ts >= 1 && ts <= static_cast<int>(disc_.titleSets.size());
  switch (s.domain) {
  case NavDomain::TitleSetMenu:
    if (haveSet) return disc_.titleSets[static_cast<std::size_t>(ts - 1)].menus;
    break;
  case NavDomain::Title:
    if (haveSet) return disc_.titleSets[static_cast<std::size_t>(ts - 1)].titles;
    break;
  default: break;
  }
  return disc_.videoManagerMenus;
}

void NavEngine::SetFormats() {
  StreamSet set = CurrentStreams();
  Snapshot s = GetSnapshot();
  StreamFormat video;
  video.kind = StreamKind::Video;
  video.video.width = set.video.width;
  video.video.height = set.video.height;
  video.video.aspectX = set.video.wide ? 16 : 4;
  video.video.aspectY = set.video.wide ? 9 : 3;
  video.video.letterboxAllowed = set.video.letterboxAllowed ? TRUE : FALSE;
  video.video.framesPerSecondTimes1000 = set.video.pal ? 25000 : 29970;

  StreamFormat audio;
  audio.kind = StreamKind::Audio;
  if (audioId_ >= 0xC0) audio.coding = AudioCoding::Mpeg;
  else if (audioId_ >= 0xA0) audio.coding = AudioCoding::Lpcm;
  else if (audioId_ >= 0x88) audio.coding = AudioCoding::Dts;
  else if (audioId_ >= 0x80) audio.coding = AudioCoding::Ac3;
  audio.audio.sampleRate = 48000;
  audio.audio.channels = 2;
  if (s.audio >= 0 && s.audio < static_cast<int>(set.audio.size())) {
    const AudioStreamInfo &a = set.audio[static_cast<std::size_t>(s.audio)];
    audio.audio.sampleRate = a.sampleRate;
    audio.audio.channels = a.channels;
    audio.audio.bitsPerSample = a.bitsPerSample;
    audio.audio.languageCode = a.language;
  }

  StreamFormat spu;
  spu.kind = StreamKind::Subpicture;
  int logical = s.subpicture & 0x3F;
  if (logical < static_cast<int>(set.subpictureLanguages.size()))
    spu.subpicture.languageCode = set.subpictureLanguages[static_cast<std::size_t>(logical)];

  const StreamFormat next[3] = {video, audio, spu};
  for (int k = 0; k < 3; ++k) {
    const StreamFormat &cur = pendingFormat_[k] ? *pendingFormat_[k] : formats_[k];
    bool same = cur.kind == next[k].kind && cur.coding == next[k].coding &&
                std::memcmp(&cur.video, &next[k].video, sizeof cur.video) == 0 &&
                std::memcmp(&cur.audio, &next[k].audio, sizeof cur.audio) == 0 &&
                std::memcmp(&cur.subpicture, &next[k].subpicture, sizeof cur.subpicture) == 0;
    if (!same) pendingFormat_[k] = next[k];
  }
  std::lock_guard g(lock_);
  snap_.pictureWidth = video.video.width;
  snap_.pictureHeight = video.video.height;
  snap_.rate = set.video.pal ? FrameRate::Fps25 : FrameRate::Fps30;
}

void NavEngine::EndScan(bool notify) {
  if (speed_ == 1.0) return;
  speed_ = 1.0;
  scanTimeBase_.reset();
  out_->SetScanMode(false);
  FlushAll();
  if (haveNav_ && GetSnapshot().domain == NavDomain::Title && session_->SectorSearch(navSector_))
    expectSeekHop_ = true;
  {
    std::lock_guard g(lock_);
    snap_.speed = 1.0;
  }
  if (notify) out_->Notify(EC_DVD_PLAYBACK_RATE_CHANGE, 10000, 0);
}

} // namespace dvd
