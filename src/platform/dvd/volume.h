// Finding and checking DVD-Video volumes: a folder (with or without VIDEO_TS), the
// path of one of its .IFO files, an ISO image or an optical drive.
#pragma once

#include <string>
#include <vector>

namespace dvd {

enum class VolumeCheck {
  Ok,         // a DVD-Video volume; the path to open is filled in
  NotDvd,     // the path exists but holds no DVD-Video volume, or does not exist
  Unreadable, // the volume is there but reading it fails
  NotReady,   // a drive without a readable disc
};

// Checks one path. A path to a .IFO file opens the folder that holds it. On Ok,
// openPath is what the navigation library is to open.
VolumeCheck CheckVolume(const std::string &path, std::string *openPath);

// Looks for a volume when the caller names none: the DVD_DEVICE environment variable
// (a drive, an image or a folder), then each of `drives` that holds a disc. Never
// blocks on an empty drive. False when nothing was found.
bool FindVolume(const std::vector<std::string> &drives, std::string *openPath);

// The optical drives of this machine, in the order they are tried.
std::vector<std::string> DefaultDrives();

// False for a path that is a drive without a disc that can be read. Other paths (and
// drives that cannot report their state) pass.
bool DriveReady(const std::string &path);

} // namespace dvd
