#include "engine/check_result.h"

#include "dshow/errors.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckResult, PassesSuccessCodesAndRaisesFailuresWithTheTextAndTheCode) {
  EXPECT_EQ(CheckResult(S_OK), S_OK);
  EXPECT_EQ(CheckResult(S_FALSE), S_FALSE);
  EXPECT_EQ(CheckResult(VFW_S_STATE_INTERMEDIATE), VFW_S_STATE_INTERMEDIATE);
  const QString text = GetErrorText(VFW_E_DVD_DECNOTENOUGH);
  EXPECT_FALSE(text.isEmpty());
  try {
    CheckResult(VFW_E_DVD_DECNOTENOUGH);
    FAIL() << "no exception";
  } catch (const EDirectShowException &e) {
    EXPECT_EQ(e.ErrorCode, VFW_E_DVD_DECNOTENOUGH);
    EXPECT_EQ(e.Message(), text + " ($8004027B).");
    EXPECT_STREQ(e.what(), (text + " ($8004027B).").toUtf8().constData());
  }
}

} // namespace
