#include "engine_fixture.h"

#include "dshow/uuids.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TEST_F(EngineTest, TheLogIsOpenWhileActiveAndABadNameLeavesLoggingOff) {
  QTemporaryDir dir;
  const QString first = dir.filePath("first.log"), second = dir.filePath("second.log");
  fg.SetLogFile(first);
  EXPECT_FALSE(QFile::exists(first)); // only stored while inactive
  fg.SetActive(true);
  EXPECT_TRUE(QFile::exists(first));
  fg.AddMember(&m1); // the graph logs the filter it adds
  fg.SetLogFile(dir.filePath("missing/folder/x.log"));
  EXPECT_EQ(fg.LogFile(), first);
  fg.SetLogFile(second);
  EXPECT_EQ(fg.LogFile(), second);
  fg.SetActive(false);
  QFile log(first);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("m1"));
  EXPECT_TRUE(QFile::exists(second));
}

TEST_F(EngineTest, TheComponentServiceIsFoundThroughItsGraph) {
  void *object = nullptr;
  EXPECT_EQ(fg.QueryService(SID_FilterGraphComponent, IID_IUnknown, &object), E_NOINTERFACE);
  EXPECT_EQ(fg.QueryService(IID_IUnknown, SID_FilterGraphComponent, &object), E_NOINTERFACE);
  EXPECT_EQ(fg.QueryService(SID_FilterGraphComponent, SID_FilterGraphComponent, &object), S_OK);
  EXPECT_EQ(object, &fg);

  fg.AddMember(&m1);
  fg.SetActive(true);
  auto *pin = static_cast<IPin *>(&static_cast<TestFilter *>(m1.filter.Get())->in);
  EXPECT_EQ(fg.UnableToRenderPin(pin), S_FALSE);
  IPin *asked = nullptr;
  fg.OnUnableToRender = [&](IPin *p) {
    asked = p;
    return true;
  };
  EXPECT_EQ(fg.UnableToRenderPin(pin), S_OK);
  EXPECT_EQ(asked, pin);
  fg.OnUnableToRender = [](IPin *) { return false; };
  EXPECT_EQ(fg.UnableToRenderPin(pin), S_FALSE);
}

TEST_F(EngineTest, CreatedFilterAsksTheHandlerWithTheFiltersClass) {
  auto filter = TestFilter::Make("f", true, false);
  EXPECT_EQ(fg.CreatedFilter(filter.Get()), S_OK);
  CLSID seen = GUID_NULL;
  fg.OnCreatedFilter = [&](IBaseFilter *, const GUID &clsid) {
    seen = clsid;
    return false;
  };
  EXPECT_EQ(fg.CreatedFilter(filter.Get()), E_FAIL);
  EXPECT_EQ(seen, filter->ClassId());
}

} // namespace
