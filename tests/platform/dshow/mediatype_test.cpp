#include "dshow/strmif.h"
#include "dshow/uuids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace {

// Counts references so that the test sees pUnk being held and let go.
class Counted final : public ComObject<IUnknown> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IUnknown>(iid, object); }
  ULONG Count() {
    AddRef();
    return Release();
  }
};

AM_MEDIA_TYPE MakeType(IUnknown *unk) {
  AM_MEDIA_TYPE mt{};
  mt.majortype = MEDIATYPE_Audio;
  mt.subtype = MEDIASUBTYPE_PCM;
  mt.formattype = FORMAT_WaveFormatEx;
  mt.cbFormat = 18;
  mt.pbFormat = static_cast<BYTE *>(CoTaskMemAlloc(18));
  for (int i = 0; i < 18; ++i) mt.pbFormat[i] = static_cast<BYTE>(i * 3);
  mt.pUnk = unk;
  if (unk) unk->AddRef();
  return mt;
}

TEST(MediaType, CopyIsDeepAndCountsTheObject) {
  ComPtr<Counted> unk;
  unk.Attach(new Counted);
  AM_MEDIA_TYPE source = MakeType(unk.Get());
  ULONG before = unk->Count();

  AM_MEDIA_TYPE copy{};
  ASSERT_EQ(CopyMediaType(&copy, &source), S_OK);
  EXPECT_EQ(unk->Count(), before + 1);
  EXPECT_NE(copy.pbFormat, source.pbFormat);
  EXPECT_EQ(copy.cbFormat, 18u);
  EXPECT_EQ(std::memcmp(copy.pbFormat, source.pbFormat, 18), 0);
  EXPECT_EQ(copy.subtype, MEDIASUBTYPE_PCM);

  FreeMediaType(copy);
  EXPECT_EQ(copy.pbFormat, nullptr);
  EXPECT_EQ(copy.cbFormat, 0u);
  EXPECT_EQ(copy.pUnk, nullptr);
  EXPECT_EQ(unk->Count(), before);
  FreeMediaType(copy); // freeing twice is harmless
  FreeMediaType(source);
}

TEST(MediaType, CreateAndDeleteInTaskMemory) {
  AM_MEDIA_TYPE source = MakeType(nullptr);
  AM_MEDIA_TYPE *created = CreateMediaType(&source);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->majortype, MEDIATYPE_Audio);
  EXPECT_EQ(std::memcmp(created->pbFormat, source.pbFormat, 18), 0);
  DeleteMediaType(created);
  DeleteMediaType(nullptr);
  EXPECT_EQ(CreateMediaType(nullptr), nullptr);
  FreeMediaType(source);
}

TEST(MediaType, MissingFormatBlockCopiesAsEmpty) {
  AM_MEDIA_TYPE source{};
  source.majortype = MEDIATYPE_Video;
  source.cbFormat = 40; // claims a block it does not have
  AM_MEDIA_TYPE copy{};
  ASSERT_EQ(CopyMediaType(&copy, &source), S_OK);
  EXPECT_EQ(copy.pbFormat, nullptr);
  EXPECT_EQ(copy.cbFormat, 0u);
  EXPECT_EQ(CopyMediaType(nullptr, &source), E_POINTER);
  EXPECT_EQ(CopyMediaType(&copy, nullptr), E_POINTER);
}

} // namespace
