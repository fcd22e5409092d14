// Compound files over libgsf's OLE2 reader and writer.
#include "win/storage.h"

#include <gsf/gsf.h>

#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

bool Utf8Name(LPCWSTR name, std::string *out) {
  if (!name || !*name) return false;
  *out = QString::fromUtf16(name).toStdString();
  return true;
}

bool ValidStreamName(LPCWSTR name, std::string *out) {
  if (!Utf8Name(name, out)) return false;
  std::size_t length = 0;
  for (const WCHAR *p = name; *p; ++p) ++length;
  return length <= 31;
}

HRESULT FromErrno(int error) {
  switch (error) {
  case ENOENT:
  case ENOTDIR: return STG_E_PATHNOTFOUND;
  case EACCES:
  case EPERM:
  case EROFS: return STG_E_ACCESSDENIED;
  case ENOSPC:
  case EFBIG:
  case EDQUOT: return STG_E_MEDIUMFULL;
  default: return STG_E_WRITEFAULT;
  }
}

// --- Writing -------------------------------------------------------------------------

// One file being written; it takes its name when the last storage or stream lets go.
class NewFile {
public:
  NewFile(std::string target, std::string temp, FILE *file, GsfOutput *sink, GsfOutfile *root)
      : target_(std::move(target)), temp_(std::move(temp)), file_(file), sink_(sink), root_(root) {}
  ~NewFile() { Finish(); }
  NewFile(const NewFile &) = delete;
  NewFile &operator=(const NewFile &) = delete;

  GsfOutfile *Root() { return root_; }
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }
  void AddChild(GsfOutput *child) { children_.push_back(child); }

private:
  void Finish() {
    bool ok = !failed_;
    for (GsfOutput *child : children_) {
      if (!gsf_output_is_closed(child)) ok = gsf_output_close(child) && ok;
      g_object_unref(child);
    }
    ok = gsf_output_close(GSF_OUTPUT(root_)) && ok;
    g_object_unref(root_);
    if (!gsf_output_is_closed(sink_)) ok = gsf_output_close(sink_) && ok;
    g_object_unref(sink_);
    ok = fflush(file_) == 0 && ok;
    ok = fsync(fileno(file_)) == 0 && ok;
    ok = fclose(file_) == 0 && ok;
    if (ok) ok = rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) unlink(temp_.c_str());
  }

  std::string target_, temp_;
  FILE *file_;
  GsfOutput *sink_;
  GsfOutfile *root_;
  std::vector<GsfOutput *> children_;
  bool failed_ = false;
};

class WriteStream : public ComObject<IStream> {
public:
  WriteStream(std::shared_ptr<NewFile> file, GsfOutput *out) : file_(std::move(file)), out_(out) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<ISequentialStream, IStream>(iid, object);
  }
  HRESULT Read(void *, ULONG, ULONG *read) override {
    if (read) *read = 0;
    return STG_E_ACCESSDENIED;
  }
  HRESULT Write(const void *buffer, ULONG size, ULONG *written) override {
    if (written) *written = 0;
    if (!buffer && size) return STG_E_INVALIDPOINTER;
    if (file_->Failed()) return STG_E_REVERTED;
    if (size == 0) return S_OK;
    errno = 0;
    if (!gsf_output_write(out_, size, static_cast<const guint8 *>(buffer))) {
      const int error = errno;
      file_->Fail();
      return error == ENOSPC || error == EFBIG ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
    }
    if (written) *written = size;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPosition) override {
    // Written streams only grow: asking where the end is is all that is offered.
    if (move != 0 || origin == STREAM_SEEK_SET) return STG_E_INVALIDFUNCTION;
    if (newPosition) *newPosition = static_cast<ULARGE_INTEGER>(gsf_output_tell(out_));
    return S_OK;
  }
  HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_INVALIDFUNCTION; }
  HRESULT Commit(DWORD) override { return S_OK; }

private:
  std::shared_ptr<NewFile> file_;
  GsfOutput *out_; // owned by the file
};

class WriteStorage : public ComObject<IStorage> {
public:
  explicit WriteStorage(std::shared_ptr<NewFile> file) : file_(std::move(file)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IStorage>(iid, object); }
  HRESULT CreateStream(LPCWSTR name, DWORD mode, DWORD, DWORD, IStream **stream) override {
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    std::string utf8;
    if (!ValidStreamName(name, &utf8)) return STG_E_INVALIDNAME;
    if ((mode & 3) == STGM_READ) return STG_E_INVALIDFLAG;
    if (file_->Failed()) return STG_E_REVERTED;
    if (!names_.insert(utf8).second) return STG_E_FILEALREADYEXISTS;
    GsfOutput *child = gsf_outfile_new_child(file_->Root(), utf8.c_str(), FALSE);
    if (!child) return STG_E_WRITEFAULT;
    file_->AddChild(child);
    *stream = new WriteStream(file_, child);
    return S_OK;
  }
  HRESULT OpenStream(LPCWSTR, void *, DWORD, DWORD, IStream **stream) override {
    if (stream) *stream = nullptr;
    return STG_E_ACCESSDENIED;
  }
  HRESULT Commit(DWORD) override { return file_->Failed() ? STG_E_REVERTED : S_OK; }
  HRESULT Revert() override {
    file_->Fail();
    return S_OK;
  }

private:
  std::shared_ptr<NewFile> file_;
  std::set<std::string> names_;
};

// --- Reading -------------------------------------------------------------------------

std::uint32_t Le32(const guint8 *p) {
  return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

// Checks made before libgsf parses the file, for damage that it mishandles. The root
// entry (the directory's first entry) heads the tree and has no siblings; libgsf
// builds entries that it reaches as the root's siblings without a parent and never
// frees them. False for a file with that damage; what these checks cannot read
// (a header that is not one, a directory past the end) is left to libgsf to refuse.
bool SoundForReader(GsfInput *input) {
  guint8 header[0x34];
  if (gsf_input_seek(input, 0, G_SEEK_SET) || !gsf_input_read(input, sizeof header, header)) return true;
  const unsigned shift = header[0x1E] | header[0x1F] << 8;
  if (shift < 7 || shift > 20) return true;
  const gsf_off_t sector = gsf_off_t{1} << shift;
  const gsf_off_t directory = (static_cast<gsf_off_t>(Le32(header + 0x30)) + 1) * sector;
  guint8 root[0x50];
  if (gsf_input_seek(input, directory, G_SEEK_SET) || !gsf_input_read(input, sizeof root, root)) return true;
  constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
  return Le32(root + 0x44) == kNoEntry && Le32(root + 0x48) == kNoEntry;
}

class OpenFile {
public:
  explicit OpenFile(GsfInfile *root) : root_(root) {}
  ~OpenFile() { g_object_unref(root_); }
  OpenFile(const OpenFile &) = delete;
  OpenFile &operator=(const OpenFile &) = delete;
  GsfInfile *Root() { return root_; }

private:
  GsfInfile *root_;
};

class ReadStream : public ComObject<IStream> {
public:
  ReadStream(std::shared_ptr<OpenFile> file, GsfInput *in) : file_(std::move(file)), in_(in) {}
  ~ReadStream() override { g_object_unref(in_); }
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<ISequentialStream, IStream>(iid, object);
  }
  HRESULT Read(void *buffer, ULONG size, ULONG *read) override {
    if (read) *read = 0;
    if (!buffer && size) return STG_E_INVALIDPOINTER;
    const gsf_off_t left = gsf_input_remaining(in_);
    const ULONG n = left <= 0 ? 0 : left < static_cast<gsf_off_t>(size) ? static_cast<ULONG>(left) : size;
    if (n && !gsf_input_read(in_, n, static_cast<guint8 *>(buffer))) return STG_E_READFAULT;
    if (read) *read = n;
    return S_OK;
  }
  HRESULT Write(const void *, ULONG, ULONG *written) override {
    if (written) *written = 0;
    return STG_E_ACCESSDENIED;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPosition) override {
    GSeekType whence;
    switch (origin) {
    case STREAM_SEEK_SET: whence = G_SEEK_SET; break;
    case STREAM_SEEK_CUR: whence = G_SEEK_CUR; break;
    case STREAM_SEEK_END: whence = G_SEEK_END; break;
    default: return STG_E_INVALIDFUNCTION;
    }
    if (gsf_input_seek(in_, move, whence)) return STG_E_INVALIDFUNCTION; // true means it failed
    if (newPosition) *newPosition = static_cast<ULARGE_INTEGER>(gsf_input_tell(in_));
    return S_OK;
  }
  HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
  HRESULT Commit(DWORD) override { return S_OK; }

private:
  std::shared_ptr<OpenFile> file_;
  GsfInput *in_;
};

class ReadStorage : public ComObject<IStorage> {
public:
  explicit ReadStorage(std::shared_ptr<OpenFile> file) : file_(std::move(file)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IStorage>(iid, object); }
  HRESULT CreateStream(LPCWSTR, DWORD, DWORD, DWORD, IStream **stream) override {
    if (stream) *stream = nullptr;
    return STG_E_ACCESSDENIED;
  }
  HRESULT OpenStream(LPCWSTR name, void *, DWORD mode, DWORD, IStream **stream) override {
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    std::string utf8;
    if (!ValidStreamName(name, &utf8)) return STG_E_INVALIDNAME;
    if ((mode & 3) != STGM_READ) return STG_E_ACCESSDENIED;
    GsfInput *child = gsf_infile_child_by_name(file_->Root(), utf8.c_str());
    if (!child) return STG_E_FILENOTFOUND;
    if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) { // a storage, not a stream
      g_object_unref(child);
      return STG_E_FILENOTFOUND;
    }
    *stream = new ReadStream(file_, child);
    return S_OK;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }

private:
  std::shared_ptr<OpenFile> file_;
};

} // namespace

HRESULT StgCreateDocfile(LPCWSTR name, DWORD mode, DWORD, IStorage **storage) {
  if (!storage) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  std::string target;
  if (!Utf8Name(name, &target)) return STG_E_INVALIDNAME;
  if ((mode & 3) == STGM_READ || (mode & 3) == 3) return STG_E_INVALIDFLAG;
  struct stat st;
  if (stat(target.c_str(), &st) == 0) {
    if (!(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
    if (S_ISDIR(st.st_mode)) return STG_E_ACCESSDENIED;
  }
  InitGsf();
  std::string temp = target + ".new-XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  fchmod(fd, 0644);
  FILE *file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    unlink(temp.c_str());
    return STG_E_WRITEFAULT;
  }
  GsfOutput *sink = gsf_output_stdio_new_FILE(temp.c_str(), file, TRUE);
  GsfOutfile *root = sink ? gsf_outfile_msole_new_full(sink, 512, 64) : nullptr;
  if (!root) {
    if (sink) g_object_unref(sink);
    fclose(file);
    unlink(temp.c_str());
    return STG_E_WRITEFAULT;
  }
  *storage = new WriteStorage(std::make_shared<NewFile>(target, temp, file, sink, root));
  return S_OK;
}

HRESULT StgOpenStorage(LPCWSTR name, IStorage *, DWORD mode, SNB, DWORD, IStorage **storage) {
  if (!storage) return STG_E_INVALIDPOINTER;
  *storage = nullptr;
  std::string path;
  if (!Utf8Name(name, &path)) return STG_E_INVALIDNAME;
  if ((mode & 3) != STGM_READ) return STG_E_INVALIDFLAG;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno == EACCES ? STG_E_ACCESSDENIED : STG_E_FILENOTFOUND;
  if (!S_ISREG(st.st_mode)) return STG_E_ACCESSDENIED;
  InitGsf();
  GError *error = nullptr;
  GsfInput *input = gsf_input_stdio_new(path.c_str(), &error);
  if (!input) {
    g_clear_error(&error);
    return access(path.c_str(), R_OK) != 0 ? STG_E_ACCESSDENIED : STG_E_READFAULT;
  }
  if (!SoundForReader(input)) {
    g_object_unref(input);
    return STG_E_FILEALREADYEXISTS;
  }
  gsf_input_seek(input, 0, G_SEEK_SET);
  GsfInfile *root = gsf_infile_msole_new(input, &error);
  g_object_unref(input);
  if (!root) {
    g_clear_error(&error);
    return STG_E_FILEALREADYEXISTS; // there, but not a compound file
  }
  *storage = new ReadStorage(std::make_shared<OpenFile>(root));
  return S_OK;
}

HRESULT WriteClassStm(IStream *stream, REFCLSID clsid) {
  if (!stream) return E_INVALIDARG;
  BYTE bytes[16];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(clsid.Data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) bytes[4 + i] = static_cast<BYTE>(clsid.Data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) bytes[6 + i] = static_cast<BYTE>(clsid.Data3 >> (8 * i));
  for (int i = 0; i < 8; ++i) bytes[8 + i] = clsid.Data4[i];
  ULONG written = 0;
  HRESULT hr = stream->Write(bytes, sizeof bytes, &written);
  if (FAILED(hr)) return hr;
  return written == sizeof bytes ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadClassStm(IStream *stream, CLSID *clsid) {
  if (!stream || !clsid) return E_INVALIDARG;
  BYTE bytes[16];
  ULONG got = 0;
  HRESULT hr = stream->Read(bytes, sizeof bytes, &got);
  if (FAILED(hr)) return hr;
  if (got != sizeof bytes) return STG_E_READFAULT;
  CLSID out{};
  for (int i = 0; i < 4; ++i) out.Data1 |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  out.Data2 = static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8);
  out.Data3 = static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8);
  for (int i = 0; i < 8; ++i) out.Data4[i] = bytes[8 + i];
  *clsid = out;
  return S_OK;
}

HRESULT OleSaveToStream(IPersistStream *object, IStream *stream) {
  if (!stream) return E_INVALIDARG;
  if (!object) return WriteClassStm(stream, CLSID{}); // a null object is stored as the null class
  CLSID clsid{};
  HRESULT hr = object->GetClassID(&clsid);
  if (FAILED(hr)) return hr;
  hr = WriteClassStm(stream, clsid);
  if (FAILED(hr)) return hr;
  return object->Save(stream, TRUE);
}

HRESULT OleLoadFromStream(IStream *stream, REFIID iid, void **object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!stream) return E_INVALIDARG;
  CLSID clsid{};
  HRESULT hr = ReadClassStm(stream, &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IPersistStream> persist;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&persist));
  if (FAILED(hr)) return hr;
  if (!persist) return E_NOINTERFACE;
  hr = persist->Load(stream);
  if (FAILED(hr)) return hr;
  return persist->QueryInterface(iid, object);
}
