// Fonts for the current user on POSIX systems: the XDG data folder's fonts, which fontconfig
// reads, fc-list for the fonts it knows, and fc-cache after a change.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/font_install.h"

extern char** environ;

namespace {

constexpr const char* kFontExtensions[] = {".ttf", ".otf", ".ttc", ".otc"};
// How long fc-list may take to list every font, and fc-cache to read the user's folder again.
constexpr int kListLimitMs = 60000;
constexpr int kCacheLimitMs = 10000;

bool IsFontFile(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return std::any_of(std::begin(kFontExtensions), std::end(kFontExtensions), [&](const char* e) {
    const std::size_t length = std::strlen(e);
    return lower.size() > length && lower.compare(lower.size() - length, length, e) == 0;
  });
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Runs a program found through PATH with the arguments, its standard output into output when
// given (else discarded), for at most limitMs: a program still running then is killed, so that
// a hung one cannot hold this one up. False when it could not be run, did not exit with 0 in
// time, or its output could not be read.
bool RunProgram(const std::vector<std::string>& command, std::string* output, int limitMs) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  const auto left = [&] {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, ms.count()));
  };
  bool ended = spawned == 0;
  if (spawned == 0 && output != nullptr) {
    char buffer[65536];
    for (;;) {
      pollfd wait = {pipeEnds[0], POLLIN, 0};
      const int ready = poll(&wait, 1, left());
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        ended = false;
        break;
      }
      const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        ended = got == 0;
        break;
      }
      output->append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  while (spawned == 0) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0 && errno != EINTR) return false;
    if (!ended || left() == 0) {
      kill(child, SIGKILL);
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      return false;
    }
    poll(nullptr, 0, std::min(left(), 10));
  }
  return spawned == 0 && ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The paths that fc-list printed, each in single quotes as its shescape filter writes them
// ('\'' for a quote), then a line feed: a path that holds line feeds or quotes is read whole,
// so that no folder's name can add a path of its own to the list. Stops at the first record that
// is not of that form.
void ReadQuotedPaths(const std::string& listed, std::set<std::string>* found) {
  std::size_t at = 0;
  while (at < listed.size() && listed[at] == '\'') {
    std::string path;
    bool closed = false;
    for (++at; at < listed.size(); ++at) {
      if (listed[at] != '\'') {
        path += listed[at];
      } else if (listed.compare(at, 4, "'\\''") == 0) {
        path += '\'';
        at += 3;
      } else {
        closed = true;
        ++at;
        break;
      }
    }
    if (!closed || at >= listed.size() || listed[at] != '\n') return;
    ++at;
    if (!path.empty() && path[0] == '/') found->insert(path);
  }
}

// A folder by its device and inode, which every path to it shares.
using FolderIdentity = std::pair<dev_t, ino_t>;

// The font files below folder, at any depth up to 16. Each folder is listed once, however many
// links lead to it, so that links that lead back up cannot multiply the walk.
void FindFonts(const std::string& folder, int depth, std::set<FolderIdentity>* walked,
               std::set<std::string>* found) {
  struct stat self;
  if (depth > 16 || stat(folder.c_str(), &self) != 0 ||
      !walked->insert({self.st_dev, self.st_ino}).second) {
    return;
  }
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  for (dirent* entry; (entry = readdir(listing)) != nullptr;) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      FindFonts(path, depth + 1, walked, found);
    } else if (S_ISREG(status.st_mode) && IsFontFile(name)) {
      found->insert(path);
    }
  }
  closedir(listing);
}

// The home folder, or "" when HOME is unset or relative, as the XDG rules ignore it.
std::string Home() {
  const std::string home = Environment("HOME");
  return !home.empty() && home[0] == '/' ? home : "";
}

// ${XDG_DATA_HOME:-~/.local/share}, or "" without a home.
std::string DataHome() {
  const std::string data = Environment("XDG_DATA_HOME");
  if (!data.empty() && data[0] == '/') return data;
  const std::string home = Home();
  return home.empty() ? "" : home + "/.local/share";
}

// The path with every link followed, or "" when it cannot be.
std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string result = real;
  std::free(real);
  return result;
}

bool IsBelow(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.size() > folder.size() + 1 &&
         path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

std::string UserFontFolder(std::string* why) {
  const std::string data = DataHome();
  if (data.empty()) {
    *why = "neither XDG_DATA_HOME nor HOME is set to an absolute path";
    return "";
  }
  const std::string folder = data + "/fonts";
  // Each folder on the way, as mkdir -p makes them.
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = folder.find('/', slash + 1);
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      *why = "cannot make " + part + ": " + std::strerror(errno);
      return "";
    }
  }
  return folder;
}

std::vector<std::string> InstalledFontFiles() {
  std::set<std::string> found;
  std::string listed;
  if (RunProgram({"fc-list", "--format", "%{file|shescape}\n"}, &listed, kListLimitMs)) {
    ReadQuotedPaths(listed, &found);
  } else {
    std::vector<std::string> folders = {DataHome() + "/fonts", Home() + "/.fonts",
                                        "/usr/share/fonts", "/usr/local/share/fonts"};
    std::set<FolderIdentity> walked;
    for (const std::string& folder : folders) FindFonts(folder, 0, &walked, &found);
  }
  return std::vector<std::string>(found.begin(), found.end());
}

std::vector<std::string> FilesInFolder(const std::string& folder) {
  std::vector<std::string> files;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return files;
  for (dirent* entry; (entry = readdir(listing)) != nullptr;) {
    const std::string path = folder + "/" + entry->d_name;
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) files.push_back(path);
  }
  closedir(listing);
  std::sort(files.begin(), files.end());
  return files;
}

// fontconfig finds a font by its file in the folder; nothing more is needed.
bool RegisterUserFont(const std::string&, const std::string&, std::string*) { return true; }

void UnregisterUserFont(const std::string&, const std::string&) {}

std::string NewFontsStep() {
  return "Programs that are open list the new fonts once they are started again; Wine's "
         "programs find them too, through fontconfig.";
}

// A cache left as it was is made again by fontconfig, which sees that the folder changed.
void UserFontsChanged(const std::string& folder) {
  RunProgram({"fc-cache", folder}, nullptr, kCacheLimitMs);
}

std::string FullPath(const std::string& path) {
  const std::string real = RealPath(path);
  if (!real.empty()) return real;
  if (!path.empty() && path[0] == '/') return path;
  char* here = getcwd(nullptr, 0);
  const std::string folder = here != nullptr ? here : "";
  std::free(here);
  return folder + "/" + path;
}

bool IsUserFontFile(const std::string& path) {
  const std::string real = RealPath(path);
  const std::string data = DataHome();
  const std::string home = Home();
  for (const std::string& folder :
       {data.empty() ? "" : data + "/fonts", home.empty() ? "" : home + "/.fonts"}) {
    const std::string realFolder = folder.empty() ? "" : RealPath(folder);
    if (!real.empty() && IsBelow(real, realFolder)) return true;
  }
  return false;
}
