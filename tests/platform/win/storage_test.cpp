// Compound files: what is written reads back here and in another reader, a file being
// replaced stays whole until the new one is complete, failures are reported by code;
// objects persist through a stream as their class and their state.
#include "win/storage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

std::u16string W(const QString &s) { return s.toStdU16String(); }

QByteArray Bytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

std::vector<BYTE> Pattern(std::size_t n) {
  std::vector<BYTE> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(i * 7 + 3);
  return v;
}

// Writes a compound file with one stream; the result of the stream's write.
HRESULT WriteFile(const QString &path, const std::u16string &stream, const std::vector<BYTE> &data,
                  bool revert = false) {
  ComPtr<IStorage> storage;
  HRESULT hr = StgCreateDocfile(W(path).c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0, &storage);
  if (FAILED(hr)) return hr;
  ComPtr<IStream> s;
  hr = storage->CreateStream(stream.c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0, 0, &s);
  if (FAILED(hr)) return hr;
  ULONG written = 0;
  hr = s->Write(data.data(), static_cast<ULONG>(data.size()), &written);
  if (revert) storage->Revert();
  return hr;
}

HRESULT ReadFile(const QString &path, const std::u16string &stream, std::vector<BYTE> *out) {
  ComPtr<IStorage> storage;
  HRESULT hr = StgOpenStorage(W(path).c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0, &storage);
  if (FAILED(hr)) return hr;
  ComPtr<IStream> s;
  hr = storage->OpenStream(stream.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, &s);
  if (FAILED(hr)) return hr;
  out->clear();
  BYTE buffer[1000];
  ULONG got = 0;
  while (SUCCEEDED(hr = s->Read(buffer, sizeof buffer, &got)) && got > 0) out->insert(out->end(), buffer, buffer + got);
  return hr;
}

// What another compound-file reader sees: the stream names, then each stream in hex.
std::string OtherReader(const QString &path) {
  const std::string command =
      "/usr/bin/python3 -c \"import olefile,sys; o=olefile.OleFileIO(sys.argv[1]); "
      "print(o.listdir()); [print(o.openstream(n).read().hex()) for n in o.listdir()]\" '" +
      path.toStdString() + "' 2>&1";
  std::string out;
  if (FILE *p = popen(command.c_str(), "r")) {
    char line[4096];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
  }
  return out;
}

// The stream "BookMark" in hex as the libgsf command-line tool reads it.
std::string GsfReader(const QString &path) {
  const std::string command = "gsf cat '" + path.toStdString() + "' BookMark | od -An -v -tx1 | tr -d ' \\n'";
  std::string out;
  if (FILE *p = popen(command.c_str(), "r")) {
    char chunk[4096];
    while (fgets(chunk, sizeof chunk, p)) out += chunk;
    pclose(p);
  }
  return out;
}

std::string Hex(const std::vector<BYTE> &v) {
  std::string s;
  char b[3];
  for (BYTE x : v) {
    std::snprintf(b, sizeof b, "%02x", x);
    s += b;
  }
  return s;
}

// Files beside the bookmark other than those named.
QStringList Leftovers(const QTemporaryDir &dir, const QStringList &expected) {
  QStringList left = QDir(dir.path()).entryList(QDir::Files);
  for (const QString &e : expected) left.removeAll(e);
  return left;
}

TEST(CompoundFile, WhatIsWrittenReadsBackHereAndInAnotherReader) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QString::fromUtf8("punto è.bmk"));
  // Large enough to leave the small-block area, and a small one.
  for (std::size_t size : {std::size_t(100), std::size_t(9000)}) {
    SCOPED_TRACE(size);
    const std::vector<BYTE> data = Pattern(size);
    ASSERT_EQ(WriteFile(path, u"BookMark", data), S_OK);
    std::vector<BYTE> back;
    ASSERT_EQ(ReadFile(path, u"BookMark", &back), S_OK);
    EXPECT_EQ(back, data);
    EXPECT_EQ(OtherReader(path), "[['BookMark']]\n" + Hex(data) + "\n");
    EXPECT_EQ(GsfReader(path), Hex(data));
  }
  EXPECT_TRUE(Leftovers(dir, {QString::fromUtf8("punto è.bmk")}).isEmpty());

  // Reading: short reads at the end, seeking, no writing.
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgOpenStorage(W(path).c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0, &storage), S_OK);
  ComPtr<IStream> s;
  EXPECT_EQ(storage->OpenStream(u"Other", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, &s), STG_E_FILENOTFOUND);
  EXPECT_FALSE(s);
  ASSERT_EQ(storage->OpenStream(u"BookMark", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, &s), S_OK);
  ULARGE_INTEGER at = 0;
  EXPECT_EQ(s->Seek(-10, STREAM_SEEK_END, &at), S_OK);
  EXPECT_EQ(at, 8990u);
  BYTE tail[64];
  ULONG got = 0;
  EXPECT_EQ(s->Read(tail, sizeof tail, &got), S_OK);
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(tail[9], Pattern(9000)[8999]);
  EXPECT_EQ(s->Read(tail, sizeof tail, &got), S_OK);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(s->Write(tail, 1, &got), STG_E_ACCESSDENIED);
  EXPECT_EQ(storage->CreateStream(u"New", STGM_CREATE | STGM_WRITE, 0, 0, &s), STG_E_ACCESSDENIED);
}

TEST(CompoundFile, AReplacedFileStaysWholeUntilTheNewOneIsComplete) {
  QTemporaryDir dir;
  const QString path = dir.filePath("bookmark.bmk");
  ASSERT_EQ(WriteFile(path, u"BookMark", Pattern(200)), S_OK);
  const QByteArray old = Bytes(path);

  {
    // While the new file is being written, the old one is what the name holds.
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(W(path).c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0, &storage), S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(storage->CreateStream(u"BookMark", STGM_CREATE | STGM_WRITE, 0, 0, &s), S_OK);
    ComPtr<IStream> twice;
    EXPECT_EQ(storage->CreateStream(u"BookMark", STGM_CREATE | STGM_WRITE, 0, 0, &twice), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(Bytes(path), old);
    storage.Reset(); // the stream still holds the file
    EXPECT_EQ(Bytes(path), old);
  }
  EXPECT_NE(Bytes(path), old); // now replaced, with an empty stream
  std::vector<BYTE> back;
  EXPECT_EQ(ReadFile(path, u"BookMark", &back), S_OK);
  EXPECT_TRUE(back.empty());

  ASSERT_EQ(WriteFile(path, u"BookMark", Pattern(200)), S_OK);
  // Revert drops the new file.
  EXPECT_EQ(WriteFile(path, u"BookMark", Pattern(300), true), S_OK);
  EXPECT_EQ(Bytes(path), old);

  // A disk that fills up while the new file is written: the files of this process
  // may not grow past 1 KiB, which the compound file needs.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &before);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const HRESULT full = WriteFile(path, u"BookMark", Pattern(5000));
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &before, nullptr);
  (void)full; // the writes may be buffered: the failure can show only when the file closes
  EXPECT_EQ(Bytes(path), old);
  EXPECT_TRUE(Leftovers(dir, {"bookmark.bmk"}).isEmpty()) << Leftovers(dir, {"bookmark.bmk"}).join(' ').toStdString();

  // A folder that does not exist, or a file in place of the folder.
  ComPtr<IStorage> storage;
  EXPECT_EQ(StgCreateDocfile(W(dir.filePath("no/such/bookmark.bmk")).c_str(), STGM_CREATE | STGM_WRITE, 0, &storage),
            STG_E_PATHNOTFOUND);
  EXPECT_EQ(StgCreateDocfile(W(path + "/bookmark.bmk").c_str(), STGM_CREATE | STGM_WRITE, 0, &storage),
            STG_E_PATHNOTFOUND);
  EXPECT_FALSE(storage);
  // Without STGM_CREATE an existing file is not replaced.
  EXPECT_EQ(StgCreateDocfile(W(path).c_str(), STGM_WRITE, 0, &storage), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(StgCreateDocfile(W(path).c_str(), STGM_CREATE | STGM_READ, 0, &storage), STG_E_INVALIDFLAG);
  EXPECT_EQ(Bytes(path), old);
}

TEST(CompoundFile, FilesThatAreMissingOrNotCompoundFilesAreRefused) {
  QTemporaryDir dir;
  std::vector<BYTE> back;
  EXPECT_EQ(ReadFile(dir.filePath("missing.bmk"), u"BookMark", &back), STG_E_FILENOTFOUND);
  WriteBytes(dir.filePath("empty.bmk"), {});
  EXPECT_EQ(ReadFile(dir.filePath("empty.bmk"), u"BookMark", &back), STG_E_FILEALREADYEXISTS);
  WriteBytes(dir.filePath("text.bmk"), QByteArray(3000, 'x'));
  EXPECT_EQ(ReadFile(dir.filePath("text.bmk"), u"BookMark", &back), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(ReadFile(dir.path(), u"BookMark", &back), STG_E_ACCESSDENIED);

  // A compound file cut short anywhere: refused, or read short; never more.
  const QString whole = dir.filePath("whole.bmk");
  ASSERT_EQ(WriteFile(whole, u"BookMark", Pattern(9000)), S_OK);
  const QByteArray bytes = Bytes(whole);
  const int size = static_cast<int>(bytes.size());
  for (int cut : {0, 100, 511, 512, 1000, 2048, size / 2, size - 1}) {
    SCOPED_TRACE(cut);
    WriteBytes(dir.filePath("cut.bmk"), bytes.left(cut));
    const HRESULT hr = ReadFile(dir.filePath("cut.bmk"), u"BookMark", &back);
    if (SUCCEEDED(hr)) {
      EXPECT_LE(back.size(), 9000u);
    }
  }

  ComPtr<IStorage> storage;
  EXPECT_EQ(StgOpenStorage(W(whole).c_str(), nullptr, STGM_READWRITE, nullptr, 0, &storage), STG_E_INVALIDFLAG);
  ASSERT_EQ(StgOpenStorage(W(whole).c_str(), nullptr, STGM_READ, nullptr, 0, &storage), S_OK);
  ComPtr<IStream> s;
  EXPECT_EQ(storage->OpenStream(u"ThisNameIsLongerThanThirtyOneChars", nullptr, STGM_READ, 0, &s), STG_E_INVALIDNAME);
  EXPECT_EQ(storage->OpenStream(u"", nullptr, STGM_READ, 0, &s), STG_E_INVALIDNAME);
}

// libgsf loses (and leaks) the entries it reaches as siblings of the root entry: such a
// directory is refused before it is parsed, and an undamaged one still reads.
TEST(CompoundFile, ADirectoryWhoseRootHasSiblingsIsRefused) {
  QTemporaryDir dir;
  const QString path = dir.filePath("bookmark.bmk");
  ASSERT_EQ(WriteFile(path, u"BookMark", Pattern(62)), S_OK);
  const QByteArray whole = Bytes(path);
  auto le32 = [&](int at) {
    return static_cast<std::uint32_t>(static_cast<BYTE>(whole[at]) | static_cast<BYTE>(whole[at + 1]) << 8 |
                                      static_cast<BYTE>(whole[at + 2]) << 16 |
                                      static_cast<std::uint32_t>(static_cast<BYTE>(whole[at + 3])) << 24);
  };
  const int sector = 1 << (static_cast<BYTE>(whole[0x1E]) | static_cast<BYTE>(whole[0x1F]) << 8);
  const int root = static_cast<int>(le32(0x30) + 1) * sector;
  ASSERT_LE(root + 0x50, whole.size());
  ASSERT_EQ(whole.mid(root, 10), QByteArray("R\0o\0o\0t\0 \0", 10));
  ASSERT_EQ(le32(root + 0x44), 0xFFFFFFFFu);
  ASSERT_EQ(le32(root + 0x48), 0xFFFFFFFFu);
  std::vector<BYTE> back;
  EXPECT_EQ(ReadFile(path, u"BookMark", &back), S_OK);
  EXPECT_EQ(back, Pattern(62));

  for (int sibling : {0x44, 0x48}) {
    SCOPED_TRACE(sibling);
    QByteArray damaged = whole;
    damaged[root + sibling] = 1; // the stream's entry
    damaged[root + sibling + 1] = damaged[root + sibling + 2] = damaged[root + sibling + 3] = 0;
    WriteBytes(path, damaged);
    back.clear();
    EXPECT_EQ(ReadFile(path, u"BookMark", &back), STG_E_FILEALREADYEXISTS);
    EXPECT_TRUE(back.empty());
  }
}

// A persistent object: its class identifier and a number.
constexpr CLSID CLSID_Counter = {0x6D303D86, 0x1C4A, 0x4087, {0xAB, 0x42, 0xF7, 0x11, 0x16, 0x70, 0x48, 0xEF}};

class Counter : public ComObject<IPersistStream> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IPersist, IPersistStream>(iid, object); }
  HRESULT GetClassID(CLSID *clsid) override {
    *clsid = CLSID_Counter;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream *stream) override {
    ULONG got = 0;
    HRESULT hr = stream->Read(&value, sizeof value, &got);
    return FAILED(hr) ? hr : got == sizeof value ? S_OK : E_FAIL;
  }
  HRESULT Save(IStream *stream, BOOL) override { return stream->Write(&value, sizeof value, nullptr); }
  HRESULT GetSizeMax(ULARGE_INTEGER *size) override {
    *size = sizeof value;
    return S_OK;
  }
  std::uint32_t value = 0;
};

TEST(CompoundFile, ObjectsPersistAsTheirClassThenTheirState) {
  QTemporaryDir dir;
  const QString path = dir.filePath("object.bmk");
  {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(W(path).c_str(), 0x1011, 0, &storage), S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(storage->CreateStream(u"BookMark", 0x1011, 0, 0, &s), S_OK);
    ComPtr<Counter> counter;
    counter.Attach(new Counter);
    counter->value = 0x01020304;
    ASSERT_EQ(OleSaveToStream(counter.Get(), s.Get()), S_OK);
  }
  std::vector<BYTE> stored;
  ASSERT_EQ(ReadFile(path, u"BookMark", &stored), S_OK);
  EXPECT_EQ(Hex(stored), "863d306d4a1c8740ab42f7111670" "48ef" "04030201");

  ComPtr<IStorage> storage;
  ASSERT_EQ(StgOpenStorage(W(path).c_str(), nullptr, 0x10, nullptr, 0, &storage), S_OK);
  auto load = [&](REFIID iid, void **out) {
    ComPtr<IStream> s;
    EXPECT_EQ(storage->OpenStream(u"BookMark", nullptr, 0x10, 0, &s), S_OK);
    return OleLoadFromStream(s.Get(), iid, out);
  };
  ComPtr<IPersistStream> loaded;
  // Nobody makes objects of that class yet.
  EXPECT_EQ(load(IID_IPersistStream, reinterpret_cast<void **>(&loaded)), REGDB_E_CLASSNOTREG);
  {
    ScopedClassRegistration counters(CLSID_Counter, [](REFIID iid, void **object) -> HRESULT {
      auto *c = new Counter;
      HRESULT hr = c->QueryInterface(iid, object);
      c->Release();
      return hr;
    });
    ASSERT_EQ(load(IID_IPersistStream, reinterpret_cast<void **>(&loaded)), S_OK);
    EXPECT_EQ(static_cast<Counter *>(loaded.Get())->value, 0x01020304u);
    ComPtr<IStorage> notOffered;
    EXPECT_EQ(load(IID_IStorage, reinterpret_cast<void **>(&notOffered)), E_NOINTERFACE);
    EXPECT_FALSE(notOffered);

    // Cut inside the class identifier, and inside the state.
    for (std::size_t keep : {std::size_t(0), std::size_t(9), std::size_t(18)}) {
      SCOPED_TRACE(keep);
      const QString cut = dir.filePath("cut.bmk");
      ASSERT_EQ(WriteFile(cut, u"BookMark", std::vector<BYTE>(stored.begin(), stored.begin() + keep)), S_OK);
      ComPtr<IStorage> cs;
      ASSERT_EQ(StgOpenStorage(W(cut).c_str(), nullptr, 0x10, nullptr, 0, &cs), S_OK);
      ComPtr<IStream> s;
      ASSERT_EQ(cs->OpenStream(u"BookMark", nullptr, 0x10, 0, &s), S_OK);
      ComPtr<IPersistStream> none;
      EXPECT_TRUE(FAILED(OleLoadFromStream(s.Get(), IID_IPersistStream, reinterpret_cast<void **>(&none))));
      EXPECT_FALSE(none);
    }
  }
}

} // namespace
