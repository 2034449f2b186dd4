// What the POSIX file functions add to the shared file interface: type checks, the lock and the
// lease that keeps other programs out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/file.h"
#include "common/output_file.h"
#include "font/avg_char_width.h"
#include "tests/files.h"
#include "tests/font_builder.h"
#include "tests/recording_reporter.h"

namespace {

class PosixFileTest : public testing::Test {
 protected:
  void SetUp() override { ShownErrors().clear(); }
  TempDir dir_;
};

TEST_F(PosixFileTest, RefusesWhatIsNotAnExistingRegularFile) {
  const std::string fifo = dir_.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir_.Path("sock");
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  for (const std::string& path : {dir_.Path("missing"), dir_.Path(""), fifo, socketPath,
                                  std::string("/dev/null"), std::string("")}) {
    FileHandle file = -1;
    std::uint64_t size = 0;
    EXPECT_FALSE(FileOpen(path.c_str(), &file, &size)) << path;
  }
  close(listener);
}

TEST_F(PosixFileTest, RefusesFileLockedByAnotherOpen) {
  const std::string path = dir_.Path("locked.ttf");
  WriteFileBytes(path, SampleFont());
  const int holder = open(path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  FileHandle file = -1;
  std::uint64_t size = 0;
  EXPECT_FALSE(FileOpen(path.c_str(), &file, &size));
  close(holder);
  ASSERT_TRUE(FileOpen(path.c_str(), &file, &size));
  FileClose(file);
}

TEST_F(PosixFileTest, HoldsItsLockUntilClosed) {
  const std::string path = dir_.Path("held.ttf");
  WriteFileBytes(path, SampleFont());
  FileHandle file = -1;
  std::uint64_t size = 0;
  ASSERT_TRUE(FileOpen(path.c_str(), &file, &size));
  const int other = open(path.c_str(), O_RDONLY);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
  FileClose(file);
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
}

TEST_F(PosixFileTest, PatcherLeavesRefusedRealFileUnchanged) {
  const std::string path = dir_.Path("far.ttf");
  const Bytes font = SampleFontWithOs2At(static_cast<std::uint32_t>(SampleFont().size()) - 3);
  WriteFileBytes(path, font);
  EXPECT_FALSE(SetAverageCharWidth(path.c_str(), 500));
  EXPECT_EQ(ShownErrors(),
            std::vector<std::string>{"'OS/2' table lies beyond the end of TTF file."});
  EXPECT_EQ(ReadFileBytes(path), font);
}

TEST_F(PosixFileTest, KeepingOthersOutMakesAnotherOpenerWaitUntilTheyAreLetIn) {
  const std::string path = dir_.Path("font.ttf");
  WriteFileBytes(path, SampleFont());
  FileHandle file = -1;
  std::uint64_t size = 0;
  std::string why;
  ASSERT_TRUE(FileOpenToFix(path.c_str(), &file, &size, &why)) << why;
  signal(SIGIO, SIG_IGN);
  if (!FileKeepOthersOut(file)) {
    FileClose(file);
    GTEST_SKIP() << "this file system grants no lease";
  }
  const pid_t child = fork();
  if (child == 0) _exit(open(path.c_str(), O_RDONLY) >= 0 ? 0 : 1);
  usleep(300 * 1000);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the other program opened the file at once";
  FileLetOthersIn(file);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  FileClose(file);
}

TEST_F(PosixFileTest, TemporaryBesideAnOutputIsRemovedWhenASignalStopsTheProgram) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    if (child == 0) {
      FileHandle file = -1;
      std::string created;
      std::string why;
      if (!FileCreateBeside(dir_.Path("out.ttf"), 0644, &file, &created, &why)) _exit(1);
      raise(signal);
      _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path(""))) << signal;
  }
}

}  // namespace
