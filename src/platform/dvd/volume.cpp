#include "dvd/volume.h"

#include "dvd/ifo_check.h"
#include "dvd/library_log.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dvd {
namespace {

bool EndsWithNoCase(const std::string &s, const char *suffix) {
  std::size_t n = std::strlen(suffix);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

std::string Parent(const std::string &path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The VIDEO_TS.IFO of a folder, in either case, directly inside or under VIDEO_TS.
std::string FindVmgIfo(const std::string &folder) {
  static const char *kNames[] = {"/VIDEO_TS/VIDEO_TS.IFO", "/video_ts/video_ts.ifo", "/VIDEO_TS.IFO",
                                 "/video_ts.ifo"};
  for (const char *name : kNames) {
    std::string candidate = folder + name;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return candidate;
  }
  return {};
}

// Reads the first bytes of a file or device; the errno of the failure, or 0.
int ProbeRead(const std::string &path, off_t offset) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[2048];
  ssize_t n = pread(fd, buffer, sizeof buffer, offset);
  int err = n < 0 ? errno : 0;
  close(fd);
  return err;
}

bool HasVideoManager(const std::string &openPath) {
  dvd_reader_t *reader = DVDOpen2(nullptr, ReadLibraryLogger(), openPath.c_str());
  if (!reader) return false;
  if (!IfoFilesSafe(reader, 0, nullptr)) {
    DVDClose(reader);
    return false;
  }
  ifo_handle_t *vmg = ifoOpen(reader, 0);
  bool ok = vmg && vmg->vmgi_mat && vmg->tt_srpt && vmg->tt_srpt->nr_of_srpts > 0;
  if (vmg) ifoClose(vmg);
  DVDClose(reader);
  return ok;
}
} // namespace

bool DriveReady(const std::string &path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return true;
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int status = ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
  int err = errno;
  close(fd);
  if (status < 0) return err == ENOTTY || err == EINVAL; // not an optical drive: a plain block device
  return status == CDS_DISC_OK;
}

VolumeCheck CheckVolume(const std::string &path, std::string *openPath) {
  if (path.empty()) return VolumeCheck::NotDvd;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno == EACCES ? VolumeCheck::Unreadable : VolumeCheck::NotDvd;
  std::string target = path;
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (S_ISREG(st.st_mode) && EndsWithNoCase(target, ".ifo")) {
    // The navigation library opens the folder that holds the volume, not the IFO itself.
    target = Parent(target);
    if (stat(target.c_str(), &st) != 0) return VolumeCheck::NotDvd;
  }
  if (S_ISDIR(st.st_mode)) {
    std::string vmg = FindVmgIfo(target);
    if (vmg.empty()) return VolumeCheck::NotDvd;
    if (ProbeRead(vmg, 0)) return VolumeCheck::Unreadable;
  } else if (S_ISBLK(st.st_mode)) {
    if (!DriveReady(target)) return VolumeCheck::NotReady;
    if (ProbeRead(target, 16 * 2048)) return VolumeCheck::Unreadable;
  } else if (S_ISREG(st.st_mode)) {
    if (st.st_size < 32 * 2048) return VolumeCheck::NotDvd;
    if (ProbeRead(target, 16 * 2048)) return VolumeCheck::Unreadable;
  } else {
    return VolumeCheck::NotDvd;
  }
  if (!HasVideoManager(target)) return VolumeCheck::NotDvd;
  *openPath = target;
  return VolumeCheck::Ok;
}

bool FindVolume(const std::vector<std::string> &drives, std::string *openPath) {
  if (const char *device = std::getenv("DVD_DEVICE"); device && *device) {
    if (CheckVolume(device, openPath) == VolumeCheck::Ok) return true;
  }
  for (const std::string &drive : drives) {
    struct stat st;
    if (stat(drive.c_str(), &st) != 0) continue;
    if (!DriveReady(drive)) continue;
    if (CheckVolume(drive, openPath) == VolumeCheck::Ok) return true;
  }
  return false;
}

std::vector<std::string> DefaultDrives() {
  std::vector<std::string> drives;
  for (int i = 0; i < 4; ++i) drives.push_back("/dev/sr" + std::to_string(i));
  drives.push_back("/dev/cdrom");
  drives.push_back("/dev/dvd");
  return drives;
}

} // namespace dvd
