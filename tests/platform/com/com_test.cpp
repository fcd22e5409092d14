#include "com/registry.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

QDVD_DECLARE_IID(IProbe, 0x11111111, 0x2222, 0x3333, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB)
struct IProbe : IUnknown {
  virtual int Value() = 0;
};

namespace {

class Probe : public ComObject<IProbe> {
public:
  explicit Probe(int value, int *alive = nullptr) : value_(value), alive_(alive) {
    if (alive_) ++*alive_;
  }
  ~Probe() override {
    if (alive_) --*alive_;
  }
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IProbe>(iid, object); }
  int Value() override { return value_; }

private:
  int value_;
  int *alive_;
};

constexpr CLSID CLSID_Probe = {0xABCDEF01, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(Guid, FormatsAndParsesTheBracedForm) {
  GUID g{};
  ASSERT_TRUE(GuidFromString("{887F94DA-29E9-44C6-B48E-1FBF0FB59878}", &g));
  EXPECT_EQ(g.Data1, 0x887F94DAu);
  EXPECT_EQ(g.Data2, 0x29E9);
  EXPECT_EQ(g.Data3, 0x44C6);
  EXPECT_EQ(g.Data4[0], 0xB4);
  EXPECT_EQ(g.Data4[7], 0x78);
  EXPECT_EQ(GuidToString(g), "{887F94DA-29E9-44C6-B48E-1FBF0FB59878}");
  GUID lower{};
  ASSERT_TRUE(GuidFromString("887f94da-29e9-44c6-b48e-1fbf0fb59878", &lower));
  EXPECT_EQ(lower, g);
  EXPECT_EQ(GuidToString(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");
}

TEST(Guid, RejectsMalformedText) {
  GUID g{};
  for (const char *bad : {"", "{}", "{887F94DA-29E9-44C6-B48E-1FBF0FB5987}", "{887F94DA-29E9-44C6-B48E-1FBF0FB59878",
                          "{887F94DA+29E9-44C6-B48E-1FBF0FB59878}", "{887F94DA-29E9-44C6-B48E-1FBF0FB5987G}"})
    EXPECT_FALSE(GuidFromString(bad, &g)) << bad;
}

TEST(ComPtr, CountsReferencesAndReleasesOnce) {
  int alive = 0;
  {
    ComPtr<IProbe> a;
    a.Attach(new Probe(7, &alive));
    ComPtr<IProbe> b = a;
    ComPtr<IUnknown> unk;
    ASSERT_EQ(a.As(&unk), S_OK);
    ComPtr<IProbe> back;
    ASSERT_EQ(unk.As(&back), S_OK);
    EXPECT_EQ(back->Value(), 7);
    EXPECT_EQ(alive, 1);
    a.Reset();
    b = nullptr;
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
}

TEST(ComPtr, UnknownInterfaceIsRefused) {
  ComPtr<IProbe> p;
  p.Attach(new Probe(1));
  constexpr IID other = {0x99999999, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  void *out = reinterpret_cast<void *>(1);
  EXPECT_EQ(p->QueryInterface(other, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

TEST(ComObject, ReferenceCountIsThreadSafe) {
  int alive = 0;
  auto *probe = new Probe(3, &alive);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([probe] {
      for (int i = 0; i < 20000; ++i) {
        probe->AddRef();
        probe->Release();
      }
    });
  for (auto &t : threads) t.join();
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(probe->Release(), 0u);
  EXPECT_EQ(alive, 0);
}

TEST(Registry, CreatesRegisteredClassesAndRefusesOthers) {
  ScopedClassRegistration reg(CLSID_Probe, [](REFIID iid, void **object) {
    return CreateComObject<Probe>(iid, object, 42);
  });
  ComPtr<IProbe> p;
  ASSERT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), S_OK);
  EXPECT_EQ(p->Value(), 42);
  ComPtr<IUnknown> none;
  EXPECT_EQ(CoCreateInstance(GUID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_Probe, p.Get(), CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&none)), CLASS_E_NOAGGREGATION);
}

TEST(Registry, ScopedRegistrationRestoresTheClassItReplaced) {
  CoRegisterClassFactory(CLSID_Probe, [](REFIID iid, void **object) {
    return CreateComObject<Probe>(iid, object, 1);
  });
  {
    ScopedClassRegistration fake(CLSID_Probe, [](REFIID iid, void **object) {
      return CreateComObject<Probe>(iid, object, 2);
    });
    ComPtr<IProbe> p;
    ASSERT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), S_OK);
    EXPECT_EQ(p->Value(), 2);
    {
      ScopedClassRegistration missing(CLSID_Probe, nullptr);
      EXPECT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), REGDB_E_CLASSNOTREG);
    }
    ASSERT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), S_OK);
    EXPECT_EQ(p->Value(), 2);
  }
  ComPtr<IProbe> p;
  ASSERT_EQ(CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), S_OK);
  EXPECT_EQ(p->Value(), 1);
  CoRevokeClassFactory(CLSID_Probe);
  EXPECT_FALSE(CoIsClassRegistered(CLSID_Probe));
}

TEST(Strings, BstrKeepsLengthAndText) {
  BSTR s = SysAllocString(u"Quovadel");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 8u);
  EXPECT_EQ(std::u16string(s), u"Quovadel");
  SysFreeString(s);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

} // namespace
