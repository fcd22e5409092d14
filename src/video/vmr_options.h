// TVMROptions: the mixing renderer's settings of one video window (its mode, the
// number of mixer streams, the rendering preferences and the aspect-ratio mode).
// A change of mode, streams or preferences while the window plays through the mixing
// renderer on an active graph rebuilds the window's renderer.
#pragma once

#include "com/types.h"

#include <initializer_list>

class TVideoWindow;

enum TVMRVideoMode { vmrWindowed = 0, vmrWindowless = 1, vmrRenderless = 2 };

// In declaration order; member n is bit 1 << n of the set and of the renderer's mask.
enum TVMRPreference {
  vpForceOffscreen,
  vpForceOverlays,
  vpForceMixer, // never sent: makes the window send the stream count even for 4 streams
  vpDoNotRenderColorKeyAndBorder,
  vpRestrictToInitialMonitor,
  vpPreferAGPMemWhenMixing,
};

// A set of preferences held in one byte (the two top bits carry whatever the renderer
// reported there).
class TVMRPreferences {
public:
  constexpr TVMRPreferences() = default;
  constexpr TVMRPreferences(std::initializer_list<TVMRPreference> members) {
    for (TVMRPreference p : members) bits_ |= Bit(p);
  }
  static constexpr TVMRPreferences FromBits(BYTE bits) {
    TVMRPreferences s;
    s.bits_ = bits;
    return s;
  }
  constexpr BYTE Bits() const { return bits_; }
  constexpr bool Contains(TVMRPreference p) const { return (bits_ & Bit(p)) != 0; }
  constexpr TVMRPreferences With(TVMRPreference p) const { return FromBits(static_cast<BYTE>(bits_ | Bit(p))); }
  constexpr TVMRPreferences Without(TVMRPreference p) const { return FromBits(static_cast<BYTE>(bits_ & ~Bit(p))); }
  friend constexpr bool operator==(TVMRPreferences a, TVMRPreferences b) { return a.bits_ == b.bits_; }

private:
  static constexpr BYTE Bit(TVMRPreference p) { return static_cast<BYTE>(1u << p); }
  BYTE bits_ = 0;
};

class TVMROptions {
public:
  explicit TVMROptions(TVideoWindow *owner);

  TVideoWindow *Owner() const { return owner_; }

  // Published, in this order.
  TVMRVideoMode Mode() const { return mode_; }
  void SetMode(TVMRVideoMode mode);
  // 1..16; any other count stores 1.
  DWORD Streams() const { return streams_; }
  void SetStreams(DWORD streams);
  TVMRPreferences Preferences() const { return preferences_; }
  void SetPreferences(TVMRPreferences preferences);
  // Letter-box (true) or stretch. Applied at once to the owner's renderer when it has
  // the aspect-ratio control; never rebuilds the renderer.
  bool KeepAspectRatio() const { return keepAspectRatio_; }
  void SetKeepAspectRatio(bool keep);

private:
  friend class TVideoWindow; // writes back what the renderer accepted

  void ReinsertIfPlayingThroughMixer();

  TVideoWindow *owner_;
  DWORD streams_ = 4;
  TVMRPreferences preferences_{vpForceMixer};
  TVMRVideoMode mode_ = vmrWindowed;
  bool keepAspectRatio_ = true;
};
