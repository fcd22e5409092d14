// Multimedia command strings: the parser's answers and the drive door on machines
// without a drive or with a device that is not one.
#include "win/mci.h"

#include <gtest/gtest.h>

namespace {

class MciTest : public ::testing::Test {
protected:
  void TearDown() override { mciSetCdAudioDrives({}); }
};

TEST_F(MciTest, CommandsOutsideTheDoorOfTheCdAudioDeviceAreRefusedByName) {
  mciSetCdAudioDrives({"/nonexistent/drive"});
  EXPECT_EQ(mciSendStringA(nullptr, nullptr, 0, nullptr), MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(mciSendStringA("   ", nullptr, 0, nullptr), MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(mciSendStringA("play cdaudio", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(mciSendStringA("set", nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(mciSendStringA("set waveaudio door open", nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(mciSendStringA("set cdaudio door", nullptr, 0, nullptr), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendStringA("set cdaudio wait", nullptr, 0, nullptr), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendStringA("set cdaudio door ajar", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
  EXPECT_EQ(mciSendStringA("set cdaudio door open now", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
  // Words are matched without regard to case; the return buffer is left empty.
  char text[8] = "xxxxxxx";
  EXPECT_EQ(mciSendStringA("SET CDAudio Door Open Wait", text, sizeof text, nullptr), MCIERR_DEVICE_NOT_READY);
  EXPECT_EQ(text[0], '\0');
}

TEST_F(MciTest, TheDoorCommandFailsWithoutADriveAndOnADeviceThatIsNotOne) {
  mciSetCdAudioDrives({"/nonexistent/drive"});
  EXPECT_EQ(mciSendStringA("Set cdaudio door open wait", nullptr, 0, nullptr), MCIERR_DEVICE_NOT_READY);
  EXPECT_EQ(mciSendStringA("set cdaudio door closed", nullptr, 0, nullptr), MCIERR_DEVICE_NOT_READY);
  mciSetCdAudioDrives({"/dev/null"});
  EXPECT_EQ(mciSendStringA("Set cdaudio door open wait", nullptr, 0, nullptr), MCIERR_HARDWARE);
  EXPECT_EQ(mciSendStringA("set cdaudio door closed wait", nullptr, 0, nullptr), MCIERR_HARDWARE);
}

} // namespace
