// Saving and restoring bookmarks when the component cannot: no DVD graph, a navigator
// without a state or without control, a state that fails to write itself. Earlier
// bookmark files survive all of these. (The real navigator's bookmarks are tested on
// the authored discs with the player.)
#include "engine_fixture.h"

#include "win/storage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr CLSID CLSID_TestState = {0x11223344, 0x5566, 0x7788, {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}};

class TestState : public ComObject<IDvdState, IPersistStream> {
public:
  explicit TestState(HRESULT saveResult) : saveResult_(saveResult) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IDvdState, IPersist, IPersistStream>(iid, object);
  }
  HRESULT GetDiscID(ULONGLONG *) override { return E_NOTIMPL; }
  HRESULT GetParentalLevel(ULONG *) override { return E_NOTIMPL; }
  HRESULT GetClassID(CLSID *clsid) override {
    *clsid = CLSID_TestState;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream *) override { return E_NOTIMPL; }
  HRESULT Save(IStream *stream, BOOL) override {
    if (FAILED(saveResult_)) return saveResult_;
    return stream->Write("state", 5, nullptr);
  }
  HRESULT GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }

private:
  HRESULT saveResult_;
};

// A navigator whose state is missing (a failure code) or writes itself with a result.
class StateNavigator : public ScriptedNavigator {
public:
  StateNavigator(Trace *trace, HRESULT stateResult, HRESULT saveResult)
      : ScriptedNavigator(trace), stateResult_(stateResult), saveResult_(saveResult) {}
  HRESULT GetState(IDvdState **state) override {
    *state = nullptr;
    trace->push_back("GetState");
    if (FAILED(stateResult_)) return stateResult_;
    *state = new TestState(saveResult_);
    return S_OK;
  }

private:
  HRESULT stateResult_, saveResult_;
};

class BookmarkEngineTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    file = dir.filePath("bookmark.bmk");
  }
  std::u16string Name() const { return file.toStdU16String(); }
  QByteArray Bytes() const {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
  }
  void Navigator(HRESULT stateResult, HRESULT saveResult = S_OK) {
    ComPtr<StateNavigator> nav;
    nav.Attach(new StateNavigator(&trace, stateResult, saveResult));
    dvd->navigator = nav;
  }

  QTemporaryDir dir;
  QString file;
};

TEST_F(BookmarkEngineTest, WithoutAnActiveDvdGraphNothingIsSavedOrRestored) {
  fg.SaveDvdBookmark(Name());
  fg.RestoreDvdBookmark(Name());
  fg.SetMode(gmNormal);
  fg.SetActive(true);
  fg.SaveDvdBookmark(Name());
  fg.RestoreDvdBookmark(Name());
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_TRUE(errors.empty());
}

TEST_F(BookmarkEngineTest, AStateThatCannotBeHadOrWrittenLeavesTheEarlierFileAsItWas) {
  ActivateDvd();
  Navigator(S_OK);
  fg.SaveDvdBookmark(Name());
  const QByteArray earlier = Bytes();
  // The class identifier, then what the state wrote.
  EXPECT_TRUE(earlier.size() > 512 && earlier.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
  {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorage(Name().c_str(), nullptr, 0x10, nullptr, 0, &storage), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(storage->OpenStream(u"BookMark", nullptr, 0x10, 0, &stream), S_OK);
    char bytes[32] = {};
    ULONG got = 0;
    ASSERT_EQ(stream->Read(bytes, sizeof bytes, &got), S_OK);
    EXPECT_EQ(QByteArray(bytes, static_cast<int>(got)).toHex(), "44332211665588779" "9aabbccddeeff00" "7374617465");
  }

  Navigator(VFW_E_DVD_NO_RESUME_INFORMATION);
  fg.SaveDvdBookmark(Name());
  EXPECT_EQ(Bytes(), earlier);
  Navigator(S_OK, STG_E_MEDIUMFULL);
  fg.SaveDvdBookmark(Name());
  EXPECT_EQ(Bytes(), earlier);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"bookmark.bmk"});
  EXPECT_TRUE(errors.empty());
}

TEST_F(BookmarkEngineTest, RestoringWithoutTheNavigatorsControlTouchesNothing) {
  ActivateDvd(); // the fake builder offers no IDvdControl2
  Navigator(S_OK);
  fg.SaveDvdBookmark(Name());
  const QByteArray saved = Bytes();
  trace.clear();
  fg.RestoreDvdBookmark(Name());
  EXPECT_EQ(Bytes(), saved);
  EXPECT_TRUE(errors.empty());
  for (const std::string &line : Calls()) EXPECT_EQ(line.find("Run"), std::string::npos) << line;
}

} // namespace
