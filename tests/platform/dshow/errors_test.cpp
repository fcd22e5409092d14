#include "com/objidl.h"
#include "dshow/errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <string>

namespace {

std::string TextOf(HRESULT hr) {
  char buffer[256];
  DWORD n = AMGetErrorTextA(hr, buffer, 255);
  EXPECT_EQ(n, std::strlen(buffer));
  return buffer;
}

bool IsGeneric(const std::string &text) { return text.rfind("Unknown ", 0) == 0; }

TEST(ErrorText, EveryDeclaredCodeHasItsOwnText) {
  std::ifstream header(std::string(QDVD_SOURCE_DIR) + "/src/platform/dshow/errors.h");
  ASSERT_TRUE(header.good());
  std::string line;
  std::regex declaration(R"(QDVD_HR\((\w+),\s*(0x[0-9A-Fa-f]+)u\))");
  int seen = 0;
  while (std::getline(header, line)) {
    std::smatch m;
    if (!std::regex_search(line, m, declaration)) continue;
    ++seen;
    HRESULT hr = MakeHResult(static_cast<std::uint32_t>(std::stoul(m[2].str(), nullptr, 16)));
    std::string text = TextOf(hr);
    EXPECT_FALSE(IsGeneric(text)) << m[1].str();
    EXPECT_GT(text.size(), 10u) << m[1].str();
  }
  EXPECT_GT(seen, 120); // the pattern still finds the declarations
}

TEST(ErrorText, GeneralCodesAndSuccess) {
  EXPECT_EQ(TextOf(S_OK), "Success.");
  for (HRESULT hr : {E_FAIL, E_INVALIDARG, E_NOINTERFACE, E_POINTER, E_NOTIMPL, E_OUTOFMEMORY, E_UNEXPECTED,
                     E_ACCESSDENIED, E_HANDLE, E_ABORT, REGDB_E_CLASSNOTREG, CLASS_E_NOAGGREGATION,
                     STG_E_FILENOTFOUND, STG_E_ACCESSDENIED, STG_E_INVALIDHEADER, STG_E_MEDIUMFULL,
                     HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                     HRESULT_FROM_WIN32(ERROR_NOT_READY), HRESULT_FROM_WIN32(ERROR_READ_FAULT),
                     HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), HRESULT_FROM_WIN32(ERROR_TIMEOUT)})
    EXPECT_FALSE(IsGeneric(TextOf(hr))) << std::hex << hr;
  EXPECT_NE(TextOf(VFW_E_DVD_DECNOTENOUGH).find("decod"), std::string::npos);
  EXPECT_NE(TextOf(VFW_E_NOT_CONNECTED), TextOf(VFW_E_NOT_FOUND));
}

TEST(ErrorText, UnknownCodesNameTheCode) {
  EXPECT_EQ(TextOf(MakeHResult(0x80041234u)), "Unknown error 0x80041234.");
  EXPECT_NE(TextOf(MakeHResult(0x00041299u)).find("0x00041299"), std::string::npos);
}

TEST(ErrorText, TruncatesToMaxLengthAndTerminates) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  DWORD n = AMGetErrorTextA(VFW_E_DVD_DECNOTENOUGH, buffer, 10);
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(buffer[10], '\0');
  EXPECT_EQ(buffer[11], 'x'); // nothing written past the terminator
  EXPECT_EQ(std::string(buffer), TextOf(VFW_E_DVD_DECNOTENOUGH).substr(0, 10));

  EXPECT_EQ(AMGetErrorTextA(E_FAIL, buffer, 0), 0u);
  EXPECT_EQ(buffer[0], TextOf(VFW_E_DVD_DECNOTENOUGH)[0]); // untouched
  EXPECT_EQ(AMGetErrorTextA(E_FAIL, nullptr, 10), 0u);
  EXPECT_EQ(AMGetErrorTextA(MakeHResult(0x80041234u), buffer, 7), 7u);
  EXPECT_STREQ(buffer, "Unknown");
}

} // namespace
