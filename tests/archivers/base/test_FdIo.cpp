#include "FdIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "TempDir.h"

namespace qvr::arc {
namespace {

using test::TempDir;

bool IsOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueFd, ClosesWhatItHoldsOnceAndGivesItUpOnRequest) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  {
    UniqueFd reader(pipeFds[0]);
    UniqueFd moved(std::move(reader));
    EXPECT_FALSE(reader.valid());
    EXPECT_EQ(moved.get(), pipeFds[0]);
  }
  EXPECT_FALSE(IsOpen(pipeFds[0]));

  UniqueFd writer(pipeFds[1]);
  int given = writer.release();
  EXPECT_FALSE(writer.valid());
  EXPECT_TRUE(IsOpen(given));
  writer.reset(given);
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_FALSE(IsOpen(given));
  EXPECT_EQ(writer.Close(), 0);  // nothing left to close
  UniqueFd none;
  EXPECT_FALSE(none.valid());
}

TEST(FdIo, WritesAndReadsWholeRangesAtOffsetsAndTheFileOffset) {
  TempDir tmp;
  UniqueFd fd(open(tmp.file("f").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  ASSERT_TRUE(fd.valid());
  std::string big(3 << 20, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
  EXPECT_EQ(WriteAll(fd.get(), big.data(), big.size()), 0);
  EXPECT_EQ(PwriteAll(fd.get(), "HEAD", 4, 0), 0);
  EXPECT_EQ(PwriteAll(fd.get(), "TAIL", 4, big.size()), 0);

  std::string back(big.size() + 4, '\0');
  EXPECT_EQ(PreadFull(fd.get(), back.data(), back.size(), 0), back.size());
  EXPECT_EQ(back.substr(0, 4), "HEAD");
  EXPECT_EQ(back.substr(4, big.size() - 4), big.substr(4));
  EXPECT_EQ(back.substr(big.size()), "TAIL");
  // At the end of the file only what is there comes back.
  char tail[16];
  EXPECT_EQ(PreadFull(fd.get(), tail, sizeof tail, big.size() + 1), 3u);
  EXPECT_EQ(PreadSome(fd.get(), tail, sizeof tail, big.size() + 4), 0);
  ASSERT_EQ(lseek(fd.get(), 0, SEEK_SET), 0);
  EXPECT_EQ(ReadSome(fd.get(), tail, 4), 4);
  EXPECT_EQ(std::string(tail, 4), "HEAD");
}

TEST(FdIo, FailuresComeBackAsTheirErrno) {
  TempDir tmp;
  UniqueFd readOnly(open(tmp.file("r").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
  ASSERT_TRUE(readOnly.valid());
  EXPECT_EQ(WriteAll(readOnly.get(), "a", 1), EBADF);
  EXPECT_EQ(PwriteAll(readOnly.get(), "a", 1, 5), EBADF);
  EXPECT_EQ(WriteAll(-1, "a", 1), EBADF);
  char c;
  EXPECT_EQ(ReadSome(-1, &c, 1), -1);
  EXPECT_EQ(PreadFull(-1, &c, 1, 0), 0u);
  EXPECT_EQ(WriteAll(readOnly.get(), "", 0), 0);  // nothing to write is no failure
}

// A reader blocked on a pipe is interrupted by a signal (no SA_RESTART) and goes on: the
// data written after the signal arrives whole.
TEST(FdIo, ASignalDoesNotEndARead) {
  struct sigaction action {
  }, previous{};
  action.sa_handler = [](int) {};
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  UniqueFd reader(pipeFds[0]), writer(pipeFds[1]);
  std::atomic<bool> started{false};
  ssize_t got = -2;
  char buffer[8] = {};
  std::thread blocked([&] {
    started = true;
    got = ReadSome(reader.get(), buffer, sizeof buffer);
  });
  while (!started) std::this_thread::yield();
  for (int i = 0; i < 5; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pthread_kill(blocked.native_handle(), SIGUSR1);
  }
  EXPECT_EQ(WriteAll(writer.get(), "data", 4), 0);
  blocked.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(got, 4);
  EXPECT_EQ(std::string(buffer, 4), "data");
}

}  // namespace
}  // namespace qvr::arc
