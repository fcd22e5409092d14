#include "win/mci.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <sstream>

namespace {

std::mutex drivesLock;
std::vector<std::string> chosenDrives; // empty: the machine's own

bool IsDrive(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode));
}

bool HoldsDisc(const std::string &path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const int status = ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
  close(fd);
  return status == CDS_DISC_OK;
}

std::vector<std::string> Candidates() {
  {
    std::lock_guard guard(drivesLock);
    if (!chosenDrives.empty()) return chosenDrives;
  }
  std::vector<std::string> drives;
  if (const char *device = std::getenv("DVD_DEVICE"); device && *device) {
    struct stat st;
    if (stat(device, &st) == 0 && S_ISBLK(st.st_mode)) return {device};
  }
  for (int i = 0; i < 4; ++i) drives.push_back("/dev/sr" + std::to_string(i));
  drives.push_back("/dev/cdrom");
  drives.push_back("/dev/dvd");
  return drives;
}

// The drive in use: the one named, else the first holding a disc, else the first there is.
bool CdAudioDrive(std::string *drive) {
  std::vector<std::string> present;
  for (const std::string &d : Candidates())
    if (IsDrive(d)) present.push_back(d);
  if (present.empty()) return false;
  auto withDisc = std::find_if(present.begin(), present.end(), HoldsDisc);
  *drive = withDisc != present.end() ? *withDisc : present.front();
  return true;
}

MCIERROR MoveDoor(const std::string &drive, bool open) {
  int fd = ::open(drive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return MCIERR_DEVICE_NOT_READY;
  int result;
  if (open) {
    ioctl(fd, CDROM_LOCKDOOR, 0); // a tray left locked by another program
    result = ioctl(fd, CDROMEJECT, 0);
  } else {
    result = ioctl(fd, CDROMCLOSETRAY, 0);
  }
  close(fd);
  return result == 0 ? 0 : MCIERR_HARDWARE;
}

std::vector<std::string> Words(const char *command) {
  std::vector<std::string> words;
  std::istringstream in(command);
  std::string w;
  while (in >> w) {
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    words.push_back(w);
  }
  return words;
}

} // namespace

MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
  if (returnString && returnLength) returnString[0] = '\0';
  if (!command) return MCIERR_MISSING_COMMAND_STRING;
  const std::vector<std::string> words = Words(command);
  if (words.empty()) return MCIERR_MISSING_COMMAND_STRING;
  if (words[0] != "set") return MCIERR_UNRECOGNIZED_COMMAND;
  if (words.size() < 2) return MCIERR_INVALID_DEVICE_NAME;
  if (words[1] != "cdaudio") return MCIERR_INVALID_DEVICE_NAME;

  int door = -1; // 1 open, 0 closed
  bool notify = false;
  for (std::size_t i = 2; i < words.size(); ++i) {
    if (words[i] == "door") {
      if (i + 1 >= words.size()) return MCIERR_MISSING_PARAMETER;
      const std::string &how = words[++i];
      if (how == "open") door = 1;
      else if (how == "closed") door = 0;
      else return MCIERR_UNRECOGNIZED_KEYWORD;
    } else if (words[i] == "wait") {
      // Every command runs to its end before the call returns.
    } else if (words[i] == "notify") {
      notify = true;
    } else {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }
  if (door < 0) return MCIERR_MISSING_PARAMETER;

  std::string drive;
  const MCIERROR result = CdAudioDrive(&drive) ? MoveDoor(drive, door == 1) : MCIERR_DEVICE_NOT_READY;
  if (notify && callback)
    PostMessageA(callback, MM_MCINOTIFY, result == 0 ? MCI_NOTIFY_SUCCESSFUL : MCI_NOTIFY_FAILURE, 0);
  return result;
}

void mciSetCdAudioDrives(std::vector<std::string> drives) {
  std::lock_guard guard(drivesLock);
  chosenDrives = std::move(drives);
}
