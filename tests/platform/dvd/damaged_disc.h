// Disc folders with damaged information files, made in a temporary folder for one
// test: a copy of an authored disc with bytes changed, or a kept fuzzing input
// unpacked the way the disc fuzz target writes it.
#pragma once

#include "support/fixtures.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class DamagedDisc {
public:
  DamagedDisc() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qdvd-damaged-XXXXXX").string();
    if (mkdtemp(pattern.data())) root_ = pattern;
    std::filesystem::create_directories(Folder());
  }
  ~DamagedDisc() {
    std::error_code ec;
    if (!root_.empty()) std::filesystem::remove_all(root_, ec);
  }
  DamagedDisc(const DamagedDisc &) = delete;
  DamagedDisc &operator=(const DamagedDisc &) = delete;

  std::string Path() const { return root_; }
  std::string Folder() const { return root_ + "/VIDEO_TS"; }

  // Every file of an authored disc's VIDEO_TS folder.
  bool CopyOf(const std::string &disc) {
    std::error_code ec;
    std::filesystem::copy(FixturePath(disc + "/VIDEO_TS"), Folder(),
                          std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive,
                          ec);
    return !ec;
  }

  // A kept input of the disc fuzz target: the video manager's IFO and the title set's
  // IFO, each after its 32-bit big-endian length (each BUP a copy), then the VOBs.
  bool Unpack(const std::string &input) {
    std::ifstream in(input, std::ios::binary);
    std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    auto take = [&](std::vector<uint8_t> *part) {
      if (d.size() - at < 4) return false;
      std::size_t n = std::size_t(d[at]) << 24 | std::size_t(d[at + 1]) << 16 | std::size_t(d[at + 2]) << 8 | d[at + 3];
      n = std::min(n, d.size() - at - 4);
      part->assign(d.begin() + std::ptrdiff_t(at + 4), d.begin() + std::ptrdiff_t(at + 4 + n));
      at += 4 + n;
      return true;
    };
    std::vector<uint8_t> vmg, vts;
    if (!take(&vmg) || !take(&vts)) return false;
    const std::vector<uint8_t> vob(d.begin() + std::ptrdiff_t(at), d.end());
    Write("VIDEO_TS.IFO", vmg);
    Write("VIDEO_TS.BUP", vmg);
    Write("VTS_01_0.IFO", vts);
    Write("VTS_01_0.BUP", vts);
    for (const char *name : {"VIDEO_TS.VOB", "VTS_01_0.VOB", "VTS_01_1.VOB"})
      Write(name, vob);
    return true;
  }

  std::vector<uint8_t> Read(const std::string &name) const {
    std::ifstream in(Folder() + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void Write(const std::string &name, const std::vector<uint8_t> &bytes) const {
    std::ofstream(Folder() + "/" + name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  }

private:
  std::string root_;
};

// Big-endian fields of an information file.
inline uint32_t Be32At(const std::vector<uint8_t> &d, std::size_t at) {
  return uint32_t(d.at(at)) << 24 | uint32_t(d.at(at + 1)) << 16 | uint32_t(d.at(at + 2)) << 8 | d.at(at + 3);
}
inline void PutBe(std::vector<uint8_t> &d, std::size_t at, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, v >>= 8)
    d.at(at + std::size_t(i)) = uint8_t(v);
}
