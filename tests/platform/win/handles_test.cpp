#include "win/winbase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <unistd.h>

namespace {

TEST(FileHandles, CreateAlwaysTruncatesAndTheHandleWritesTheFile) {
  QTemporaryDir dir;
  const QByteArray path = QFile::encodeName(dir.filePath("log.txt"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old contents that must go");
  }
  HANDLE file = CreateFileA(path.constData(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_NE(file, nullptr);
  // The graph's log writes through the handle's descriptor.
  const auto fd = static_cast<int>(reinterpret_cast<std::uintptr_t>(file));
  EXPECT_GE(fd, 3);
  ASSERT_EQ(::write(fd, "new", 3), 3);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file)); // closed already

  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("new"));
}

TEST(FileHandles, MissingFolderAndMissingFileGiveTheInvalidHandle) {
  QTemporaryDir dir;
  EXPECT_EQ(CreateFileA(QFile::encodeName(dir.filePath("no/such/folder.log")).constData(), GENERIC_WRITE, 0,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(QFile::encodeName(dir.filePath("absent")).constData(), GENERIC_READ, 0, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(CloseHandle(nullptr));
}

TEST(ThreadHandles, IdentifiersDifferPerThreadAndPriorityIsReadBack) {
  const DWORD mine = GetCurrentThreadId();
  EXPECT_NE(mine, 0u);
  std::atomic<DWORD> other{0};
  std::atomic<int> lowered{THREAD_PRIORITY_ERROR_RETURN};
  std::thread t([&] {
    other = GetCurrentThreadId();
    HANDLE self = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, other);
    // Lowering needs no privileges; it is the only direction a test can count on.
    if (SetThreadPriority(self, THREAD_PRIORITY_IDLE)) lowered = GetThreadPriority(self);
    CloseHandle(self);
  });
  t.join();
  EXPECT_NE(other.load(), 0u);
  EXPECT_NE(other.load(), mine);
  EXPECT_EQ(lowered.load(), THREAD_PRIORITY_IDLE);

  EXPECT_EQ(OpenThread(THREAD_SET_INFORMATION, FALSE, 0), nullptr);
  EXPECT_FALSE(SetThreadPriority(nullptr, THREAD_PRIORITY_NORMAL));
  EXPECT_EQ(GetThreadPriority(INVALID_HANDLE_VALUE), THREAD_PRIORITY_ERROR_RETURN);
}

} // namespace
