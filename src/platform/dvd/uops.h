// User operations a disc can prohibit: bit n of the masks in EC_DVD_VALID_UOPS_CHANGE
// and IDvdInfo2::GetCurrentUOPS (set = prohibited).
#pragma once

namespace dvd {
enum Uop {
  kUopTitleOrTimePlay = 0,
  kUopChapterSearchOrPlay = 1,
  kUopTitlePlay = 2,
  kUopStop = 3,
  kUopGoUp = 4,
  kUopTimeOrChapterSearch = 5,
  kUopPrevOrTopSearch = 6,
  kUopNextSearch = 7,
  kUopForwardScan = 8,
  kUopBackwardScan = 9,
  kUopTitleMenu = 10,
  kUopRootMenu = 11,
  kUopSubpictureMenu = 12,
  kUopAudioMenu = 13,
  kUopAngleMenu = 14,
  kUopChapterMenu = 15,
  kUopResume = 16,
  kUopButton = 17,
  kUopStillOff = 18,
  kUopPause = 19,
  kUopAudioStream = 20,
  kUopSubpictureStream = 21,
  kUopAngle = 22,
};
} // namespace dvd
