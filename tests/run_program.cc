// Process control for end-to-end tests, with POSIX calls: fork, exec and a bounded wait.
#include "tests/run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

Outcome RunCommand(const std::vector<std::string>& command, const std::string& workDir,
                   const RunOptions& options) {
  // The output goes to files of a folder of its own, outside what the test inspects.
  const TempDir outputs;
  const std::string outPath = outputs.Path("stdout");
  const std::string errPath = outputs.Path("stderr");
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    // Close-on-exec keeps these extra descriptors from the program, which must see only its
    // standard streams, and not even those that the test closes.
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (out < 0 || err < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(workDir.c_str()) != 0) {
      _exit(127);
    }
    for (const int stream : options.closedStreams) close(stream);
    for (const std::string& setting : options.environment) {
      if (setting.find('=') == std::string::npos) {
        unsetenv(setting.c_str());
      } else {
        putenv(const_cast<char*>(setting.c_str()));
      }
    }
    constexpr uid_t kNobody = 65534;
    if (options.asUnprivileged && geteuid() == 0 &&
        (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << command[0] << " did not end within 20 s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  outcome.out = ReadText(outPath);
  outcome.err = ReadText(errPath);
  return outcome;
}

std::map<std::string, Bytes> Snapshot(const TempDir& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path(""))) {
    if (entry.is_regular_file() && !entry.is_symlink()) {
      files[entry.path().string()] = ReadFileBytes(entry.path().string());
    }
  }
  return files;
}
