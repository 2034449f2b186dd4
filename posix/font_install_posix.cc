// Fonts for the current user on POSIX systems: the XDG data folder's fonts, which fontconfig
// reads, fc-list for the fonts it knows, and fc-cache after a change.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
// given (else discarded); false when it could not be run or did not exit with 0.
bool RunProgram(const std::vector<std::string>& command, std::string* output) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned == 0 && output != nullptr) {
    char buffer[65536];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      output->append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  while (spawned == 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

// ${XDG_DATA_HOME:-~/.local/share}, or "" without a home.
std::string DataHome() {
  const std::string data = Environment("XDG_DATA_HOME");
  if (!data.empty() && data[0] == '/') return data;
  const std::string home = Environment("HOME");
  return home.empty() ? "" : home + "/.local/share";
}

}  // namespace

std::string UserFontFolder(std::string* why) {
  const std::string data = DataHome();
  if (data.empty()) {
    *why = "neither XDG_DATA_HOME nor HOME is set";
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
  if (RunProgram({"fc-list", "--format", "%{file}\n"}, &listed)) {
    for (std::size_t at = 0; at < listed.size();) {
      const std::size_t end = std::min(listed.find('\n', at), listed.size());
      if (end > at) found.insert(listed.substr(at, end - at));
      at = end + 1;
    }
  } else {
    std::vector<std::string> folders = {DataHome() + "/fonts", Environment("HOME") + "/.fonts",
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

void UnregisterUserFont(const std::string&) {}

void UserFontsChanged(const std::string& folder) { RunProgram({"fc-cache", folder}, nullptr); }
