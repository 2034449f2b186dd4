// Runs the Windows program under Wine as a Windows user would: through its real entry point,
// message boxes and file calls. With no display, Wine's MessageBoxA returns at once, and its
// relay trace (limited to that call by the prefix's RelayInclude setting) shows each box's
// owner, text, caption and flags on standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/expected_messages.h"
#include "tests/files.h"
#include "tests/font_builder.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"

namespace {

const char kWine[] = QUENLO_WINE;
const char kPrefix[] = QUENLO_WINE_PREFIX;
const char kProgram[] = QUENLO_WINDOWS_PROGRAM;
// The console build, which the Python package installs as its quenlo command.
const char kConsoleProgram[] = QUENLO_WINDOWS_CONSOLE_PROGRAM;
const char kLauncher[] = QUENLO_LAUNCHER;
const char kRealFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char kWindowsCheck[] = QUENLO_WINDOWS_CHECK;
const char kTextMetrics[] = QUENLO_TEXT_METRICS;
const char kLinuxProgram[] = QUENLO_LINUX_PROGRAM;
const char kNoFonts[] = QUENLO_NO_FONTS;
const char kLinuxCheck[] = QUENLO_CHECK_PROGRAM;

struct MessageBox {
  std::string owner;
  std::string text;
  std::string caption;
  std::string flags;
};

// Undoes the C-style escaping of Wine's debug strings: \n, \t, \r, \", \\ and \xHH.
std::string Unescape(const std::string& escaped) {
  std::string text;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\' || i + 1 == escaped.size()) {
      text += escaped[i];
      continue;
    }
    const char next = escaped[++i];
    if (next == 'n') {
      text += '\n';
    } else if (next == 't') {
      text += '\t';
    } else if (next == 'r') {
      text += '\r';
    } else if (next == 'x' && i + 2 < escaped.size()) {
      text += static_cast<char>(std::stoi(escaped.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      text += next;
    }
  }
  return text;
}

// Every MessageBoxA call in a relay trace, in order. A call whose arguments cannot be read still
// counts, with empty fields, so that no box goes unseen.
std::vector<MessageBox> MessageBoxes(const std::string& trace) {
  static const std::regex call(
      R"re(Call user32\.MessageBoxA\(([0-9a-f]+),[0-9a-f]+ "((?:[^"\\]|\\.)*)",)re"
      R"re([0-9a-f]+ "((?:[^"\\]|\\.)*)",([0-9a-f]+)\))re");
  std::vector<MessageBox> boxes;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("Call user32.MessageBoxA(") == std::string::npos) continue;
    std::smatch m;
    if (!std::regex_search(line, m, call)) {
      ADD_FAILURE() << "unreadable MessageBoxA call: " << line;
      boxes.emplace_back();
      continue;
    }
    boxes.push_back({m[1], Unescape(m[2]), Unescape(m[3]), m[4]});
  }
  return boxes;
}

// Wine reads a path that starts with a slash as one on the current drive, which for a folder
// under / is Z:, the whole Linux file system.
std::string WindowsPath(const std::string& linuxPath) { return "Z:" + linuxPath; }

// The name that Windows itself gives a file under /: on Z:, with backslashes.
std::string WindowsName(const std::string& linuxPath) {
  std::string name = WindowsPath(linuxPath);
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// Runs command under Wine in folder; with relay, Wine traces each message box on standard error.
// winePath, when given, is put before the Windows PATH.
Outcome UnderWine(const TempDir& folder, std::vector<std::string> command, bool relay = true,
                  const std::string& winePath = "") {
  command.insert(command.begin(), kWine);
  std::vector<std::string> environment = {"WINEPREFIX=" + std::string(kPrefix),
                                          relay ? "WINEDEBUG=-all,+relay" : "WINEDEBUG=-all",
                                          "LC_ALL=C.UTF-8",
                                          "FONTCONFIG_FILE=" + std::string(kNoFonts),
                                          "DISPLAY",
                                          "WAYLAND_DISPLAY"};
  if (!winePath.empty()) environment.push_back("WINEPATH=" + winePath);
  return RunCommand(command, folder.Path(""), {environment, false, {}});
}

// Runs the program with these arguments, rebuilt into a command line by Wine.
Outcome RunProgram(const TempDir& folder, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), kProgram);
  return UnderWine(folder, arguments);
}

// Runs the program with exactly this command line, program name included.
Outcome RunCommandLine(const TempDir& folder, const std::string& commandLine) {
  const std::string file = folder.Path(".command-line");
  WriteFileBytes(file, Bytes(commandLine.begin(), commandLine.end()));
  Outcome outcome = UnderWine(folder, {kLauncher, WindowsPath(kProgram), WindowsPath(file)});
  std::remove(file.c_str());
  return outcome;
}

void ExpectOneErrorBox(const Outcome& outcome, const std::string& text) {
  EXPECT_EQ(outcome.status, 1);
  const std::vector<MessageBox> boxes = MessageBoxes(outcome.err);
  ASSERT_EQ(boxes.size(), 1u) << outcome.err;
  EXPECT_EQ(boxes[0].text, text);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(std::stoul(boxes[0].owner, nullptr, 16), 0u) << "the box has no owner window";
  EXPECT_EQ(boxes[0].flags, "00000010") << "MB_ICONERROR with a single OK button";
}

void ExpectSilentSuccess(const Outcome& outcome) {
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(MessageBoxes(outcome.err).empty()) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

Bytes Patched(Bytes font, std::uint16_t width) {
  PutBigEndian16(font, TableOffset(font, "OS/2") + 2, width);
  return font;
}

const Bytes kSample = SampleFont(1000);

class WineTest : public testing::Test {
 protected:
  TempDir dir_;
};

struct SuccessCase {
  const char* name;
  std::string commandLine;  // the whole command line, the program's name first
  std::string fileName;
  std::uint16_t width;
};

void PrintTo(const SuccessCase& c, std::ostream* os) { *os << c.name; }

class WinePatchedTest : public WineTest, public testing::WithParamInterface<SuccessCase> {};

TEST_P(WinePatchedTest, ExitsZeroWithoutABoxAndOnlyTheFieldChanged) {
  const SuccessCase& c = GetParam();
  WriteFileBytes(dir_.Path(c.fileName), kSample);
  const auto before = Snapshot(dir_);
  ExpectSilentSuccess(RunCommandLine(dir_, c.commandLine));
  auto expected = before;
  expected[dir_.Path(c.fileName)] = Patched(kSample, c.width);
  EXPECT_EQ(Snapshot(dir_), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, WinePatchedTest,
    testing::Values(
        SuccessCase{"DefaultWidth", "quenlo.exe font.ttf", "font.ttf", 8},
        SuccessCase{"QuotedNameWithSpaces", "quenlo.exe -w 500 \"My Font.ttf\"", "My Font.ttf",
                    500},
        SuccessCase{"WidthJoinedToOption", "quenlo.exe -w500 font.ttf", "font.ttf", 500},
        SuccessCase{"UnclosedQuote", "quenlo.exe -w 7 \"My Font.ttf", "My Font.ttf", 7},
        SuccessCase{"RestIgnored", "quenlo.exe   font.ttf -w 12 \"junk", "font.ttf", 8},
        SuccessCase{"QuotedProgramName", "\"C:\\Program Files\\quenlo.exe\" -w 32767 font.ttf",
                    "font.ttf", 32767},
        SuccessCase{"ProgramNameQuotedUpToTail", "\"quenlo.exe\"-w 9 font.ttf", "font.ttf", 9},
        SuccessCase{"TabsAfterProgramName", "quenlo.exe\t\t-w 1 font.ttf", "font.ttf", 1},
        // 0xFC is u-umlaut in code page 1252; Wine names the file in UTF-8.
        SuccessCase{"NameStartingWithHighByte", "quenlo.exe \xFC.ttf", "\xC3\xBC.ttf", 8}),
    [](const testing::TestParamInfo<SuccessCase>& test) { return std::string(test.param.name); });

TEST_F(WineTest, HighByteNameIsNotTakenForTheFileWithoutIt) {
  // The start-up code's lpCmdLine drops a leading 0xFC; the program must not patch ".ttf".
  WriteFileBytes(dir_.Path(".ttf"), kSample);
  ExpectOneErrorBox(RunCommandLine(dir_, "quenlo.exe \xFC.ttf"), kCantOpen);
  EXPECT_EQ(ReadFileBytes(dir_.Path(".ttf")), kSample);
}

struct RefusalCase {
  const char* name;
  std::string commandLine;  // after the program's name
  Bytes font;               // written to font.ttf
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class WineRefusedTest : public WineTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(WineRefusedTest, ExitsOneWithOneErrorBoxAndTouchesNoFile) {
  const RefusalCase& c = GetParam();
  WriteFileBytes(dir_.Path("font.ttf"), c.font);
  std::filesystem::create_directory(dir_.Path("folder"));
  const auto before = Snapshot(dir_);
  ExpectOneErrorBox(RunCommandLine(dir_, "quenlo.exe" + c.commandLine), c.message);
  EXPECT_EQ(Snapshot(dir_), before);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, WineRefusedTest,
    testing::Values(
        RefusalCase{"EmptyTail", "", kSample, kNameMessage},
        RefusalCase{"LoneQuote", " \"", kSample, kNameMessage},
        RefusalCase{"WidthWithoutName", " -w 12", kSample, kNameMessage},
        RefusalCase{"WidthZero", " -w 0", kSample, kWidthMessage},
        RefusalCase{"WidthTooLarge", " -w 32768 font.ttf", kSample, kWidthMessage},
        RefusalCase{"TabAfterWidth", " -w 12\tfont.ttf", kSample, kWidthMessage},
        RefusalCase{"NameTooLong", " " + std::string(3000, 'f'), kSample, kTooLongMessage},
        RefusalCase{"Missing", " missing.ttf", kSample, kCantOpen},
        RefusalCase{"Directory", " folder", kSample, kCantOpen},
        RefusalCase{"UpperCaseOption", " -W 12 font.ttf", kSample, kCantOpen},
        RefusalCase{"EmptyFile", " font.ttf", {}, kEndOfFile},
        RefusalCase{"CffFont", " font.ttf", BuildFont({{"OS/2", Os2Table(9)}}, 0x4F54544F),
                    kFormat},
        RefusalCase{"NoOs2", " font.ttf", BuildFont({{"head", Bytes(54, 1)}}), kNotFound},
        RefusalCase{"DirectoryCut", " font.ttf", Bytes(kSample.begin(), kSample.begin() + 40),
                    kEndOfFile},
        RefusalCase{"Os2PastEnd", " font.ttf", SampleFontWithOs2At(0xFFFFFFFF), kBeyondEnd}),
    [](const testing::TestParamInfo<RefusalCase>& test) { return std::string(test.param.name); });

TEST_F(WineTest, ArgumentsRebuiltByWineReachTheProgram) {
  WriteFileBytes(dir_.Path("My Font.ttf"), kSample);
  ExpectSilentSuccess(RunProgram(dir_, {"-w", "500", "My Font.ttf"}));
  EXPECT_EQ(ReadFileBytes(dir_.Path("My Font.ttf")), Patched(kSample, 500));
}

struct NameCase {
  const char* name;
  std::string fileName;   // in UTF-8, as the test gives it to Wine
  std::string lookAlike;  // a file that a best-fit conversion of the name would reach, or ""
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class WineNamesTest : public WineTest, public testing::WithParamInterface<NameCase> {};

TEST_P(WineNamesTest, PatchesTheNamedFileAndNoLookAlike) {
  const NameCase& c = GetParam();
  WriteFileBytes(dir_.Path(c.fileName), kSample);
  if (!c.lookAlike.empty()) WriteFileBytes(dir_.Path(c.lookAlike), kSample);
  auto expected = Snapshot(dir_);
  ExpectSilentSuccess(RunProgram(dir_, {"-w", "500", c.fileName}));
  expected[dir_.Path(c.fileName)] = Patched(kSample, 500);
  EXPECT_EQ(Snapshot(dir_), expected);
}

// Names that the prefix's ANSI code page (1252) cannot hold, or holds only as a look-alike.
INSTANTIATE_TEST_SUITE_P(
    Names, WineNamesTest,
    testing::Values(NameCase{"Han", "\xE5\xAD\x97\xE4\xBD\x93.ttf", ""},
                    NameCase{"Cyrillic", "\xD1\x88\xD1\x80\xD0\xB8\xD1\x84\xD1\x82.ttf", ""},
                    NameCase{"Macron", "\xC4\x80rial.ttf", "Arial.ttf"},
                    NameCase{"Stroke",
                             "\xC5\x82"
                             "atka.ttf",
                             "latka.ttf"},
                    NameCase{"FullWidth", "\xEF\xBD\x86\xEF\xBD\x8F\xEF\xBD\x8E\xEF\xBD\x94.ttf",
                             "font.ttf"},
                    NameCase{"InCodePage",
                             "\xC3\x9C"
                             "ber.ttf",
                             ""}),
    [](const testing::TestParamInfo<NameCase>& test) { return std::string(test.param.name); });

TEST_F(WineTest, RealFontChangesInExactlyTheTwoFieldBytes) {
  const Bytes original = ReadFileBytes(kRealFont);
  ASSERT_FALSE(original.empty()) << "install fonts-dejavu-core";
  WriteFileBytes(dir_.Path("DejaVuSans.ttf"), original);
  ExpectSilentSuccess(RunProgram(dir_, {"-w", "500", "DejaVuSans.ttf"}));
  const Bytes after = ReadFileBytes(dir_.Path("DejaVuSans.ttf"));
  const std::uint32_t os2 = TableOffset(original, "OS/2");
  EXPECT_EQ(DifferingPositions(original, after), (std::vector<std::size_t>{os2 + 2u, os2 + 3u}));
  EXPECT_EQ(after, Patched(original, 500));
}

// The width check's Windows build reads the same faces as the Linux one and reports them alike;
// only the program in the printed fix differs.
TEST_F(WineTest, CheckReportsAsTheLinuxCheckDoes) {
  const char* const fonts[] = {kRealFont, "/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf",
                               "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf",
                               "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
                               "/usr/share/fonts/opentype/freefont/FreeSerif.otf"};
  std::vector<std::string> names;
  for (const char* font : fonts) {
    const Bytes bytes = ReadFileBytes(font);
    ASSERT_FALSE(bytes.empty()) << font << ": install the packages of packages/tests.txt";
    const std::string name = std::string(font).substr(std::string(font).rfind('/') + 1);
    WriteFileBytes(dir_.Path(name), bytes);
    names.push_back(name);
  }
  WriteFileBytes(dir_.Path("\xE5\xAD\x97\xE4\xBD\x93.ttf"),
                 SampleFont());  // a name outside code page 1252
  names.push_back("\xE5\xAD\x97\xE4\xBD\x93.ttf");
  names.push_back("missing.ttf");
  const auto before = Snapshot(dir_);
  for (const bool json : {false, true}) {
    std::vector<std::string> arguments = names;
    if (json) arguments.insert(arguments.begin(), "--json");
    arguments.insert(arguments.begin(), kLinuxCheck);
    const Outcome onLinux = RunCommand(arguments, dir_.Path(""));
    arguments[0] = kWindowsCheck;
    const Outcome onWindows = UnderWine(dir_, arguments);
    EXPECT_EQ(onWindows.status, onLinux.status);
    EXPECT_EQ(onLinux.status, 2);
    // Each prints the path of the programs beside it.
    std::string expected = onLinux.out;
    const auto replaceAll = [&](const std::string& from, const std::string& to) {
      for (std::size_t at = 0; (at = expected.find(from, at)) != std::string::npos;) {
        expected.replace(at, from.size(), to);
        at += to.size();
      }
    };
    replaceAll("fix: " + std::string(kLinuxCheck) + " ",
               "fix: " + WindowsName(kWindowsCheck) + " ");
    replaceAll("fix: " + std::string(kLinuxProgram) + " ", "fix: " + WindowsName(kProgram) + " ");
    EXPECT_EQ(onWindows.out, expected);
  }
  EXPECT_EQ(Snapshot(dir_), before);
}

TEST_F(WineTest, CheckExpandsWildcardsAndNamesAPatternThatMatchesNothing) {
  for (const char* name : {"a.ttf", "b.ttf", "c d.ttf"}) {
    WriteFileBytes(dir_.Path(name), CjkFont(500));
  }
  WriteFileBytes(dir_.Path("notes.txt"), Bytes(10, 'x'));
  const Outcome outcome = UnderWine(dir_, {kWindowsCheck, "--json", "*.ttf", "*.otf"}, false);
  EXPECT_EQ(outcome.status, 2);
  for (const char* name : {"\"a.ttf\"", "\"b.ttf\"", "\"c d.ttf\""}) {
    EXPECT_NE(outcome.out.find(std::string("{\"file\": ") + name), std::string::npos)
        << outcome.out;
  }
  EXPECT_EQ(outcome.out.find("notes.txt"), std::string::npos);
  EXPECT_EQ(outcome.err, "quenlo-check: *.otf: cannot open it: no file matches this pattern\n");
}

TEST_F(WineTest, CheckSaysWhyAFileCannotBeOpened) {
  std::filesystem::create_directory(dir_.Path("folder.ttf"));
  const Outcome outcome = UnderWine(dir_, {kWindowsCheck, "missing.ttf", "folder.ttf"}, false);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: missing.ttf: cannot open it: there is no such file\n"
            "quenlo-check: folder.ttf: cannot open it: it is a directory, not a font file\n");
}

// --output writes the bytes the Linux check writes, into a new file and into a folder, and leaves
// the font as it was.
TEST_F(WineTest, CheckFixesIntoAnOutputAsTheLinuxCheckDoes) {
  const Bytes font = CjkFont(980);
  WriteFileBytes(dir_.Path("a.ttf"), font);
  WriteFileBytes(dir_.Path("linux.ttf"), font);
  ASSERT_EQ(RunCommand({kLinuxCheck, "--fix", "linux.ttf"}, dir_.Path("")).status, 0);
  std::filesystem::create_directory(dir_.Path("out"));
  const Outcome outcome =
      UnderWine(dir_, {kWindowsCheck, "--fix", "--json", "-o", "new.ttf", "a.ttf"}, false);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("\"output\": \"new.ttf\"}"), std::string::npos) << outcome.out;
  EXPECT_EQ(UnderWine(dir_, {kWindowsCheck, "--fix", "-o", "out", "a.ttf"}, false).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("a.ttf")), font);
  EXPECT_EQ(ReadFileBytes(dir_.Path("new.ttf")), ReadFileBytes(dir_.Path("linux.ttf")));
  EXPECT_EQ(ReadFileBytes(dir_.Path("out/a.ttf")), ReadFileBytes(dir_.Path("linux.ttf")));
  EXPECT_EQ(UnderWine(dir_, {kWindowsCheck, "--fix", "-o", "a.ttf", "a.ttf"}, false).err,
            "quenlo-check: a.ttf: the output is the font itself; to fix it in place, leave out "
            "--output\n");
}

// A name that holds an escape sequence reaches the console escaped, as on Linux.
TEST_F(WineTest, CheckShowsANameWithControlCharactersEscaped) {
  const Outcome outcome = UnderWine(dir_, {kWindowsCheck, "esc\x1b[2J.ttf"}, false);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err.rfind("quenlo-check: esc\\x1b[2J.ttf: cannot open it: ", 0), 0u)
      << outcome.err;
  EXPECT_EQ(outcome.err.find('\x1b'), std::string::npos);
}

// A console shared with a shell, a script or a pipe gets no question and no wait, even without
// fonts: the run ends by itself.
TEST_F(WineTest, CheckInASharedConsoleDoesNotWait) {
  const Outcome outcome = UnderWine(dir_, {kWindowsCheck}, false);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err.substr(0, 27), "quenlo-check: no font given");
}

// The printed fix, pasted into a command prompt in the font's folder (a batch file, since
// cmd /c would strip the outer quotes of a pasted line), fixes the font and nothing else:
// quenlo.exe for a TrueType font, quenlo-check.exe --fix for a collection. A name that the
// prompt or PowerShell would read as more than itself gets the advice to rename it instead.
TEST_F(WineTest, PrintedFixRunsAsPastedIntoACommandPrompt) {
  const std::vector<std::string> fixable = {"My Font.ttf", "a&b (1).ttf", "Noto[wdth,wght].ttf",
                                            "it's.ttf", "-x.ttf"};
  const std::vector<std::string> renamed = {"%COMSPEC%.ttf", "$(calc).ttf", "a!b!.ttf"};
  std::vector<std::string> arguments = {kWindowsCheck, "--"};
  for (const std::string& name : fixable) {
    WriteFileBytes(dir_.Path(name), CjkFont(980));
    arguments.push_back(name);
  }
  for (const std::string& name : renamed) {
    WriteFileBytes(dir_.Path(name), CjkFont(980));
    arguments.push_back(name);
  }
  WriteFileBytes(dir_.Path("set.ttc"), BuildCollection({CjkFont(980), CjkFont(980)}, true));
  arguments.push_back("set.ttc");
  const Outcome check = UnderWine(dir_, arguments);
  EXPECT_EQ(check.status, 1);
  std::string commands;
  int advice = 0;
  for (std::size_t at = 0; (at = check.out.find("  fix: ", at)) != std::string::npos;) {
    const std::size_t end = check.out.find('\n', at);
    const std::string line = check.out.substr(at + 7, end - at - 7);
    if (line.rfind("rename the file first", 0) == 0) {
      ++advice;
    } else {
      commands += line + "\r\n";
    }
    at = end;
  }
  EXPECT_EQ(advice, 3) << check.out;
  EXPECT_NE(commands.find(WindowsName(kProgram) + " -w 500 \"My Font.ttf\"\r\n"), std::string::npos)
      << commands;
  EXPECT_NE(commands.find(WindowsName(kProgram) + " -w 500 .\\-x.ttf\r\n"), std::string::npos)
      << commands;
  EXPECT_NE(commands.find(WindowsName(kWindowsCheck) + " --fix set.ttc\r\n"), std::string::npos)
      << commands;
  WriteFileBytes(dir_.Path("fix.bat"), Bytes(commands.begin(), commands.end()));
  EXPECT_EQ(UnderWine(dir_, {"cmd", "/c", "fix.bat"}).status, 0);
  arguments.resize(2);
  arguments.insert(arguments.end(), fixable.begin(), fixable.end());
  arguments.push_back("set.ttc");
  EXPECT_EQ(UnderWine(dir_, arguments).status, 0);
  for (const std::string& name : renamed) EXPECT_EQ(ReadFileBytes(dir_.Path(name)), CjkFont(980));
}

// The fix names the programs bare where PATH finds the same ones, as in a virtual environment's
// Scripts folder, and by their full paths where it does not.
TEST_F(WineTest, PrintedFixNamesTheProgramsBareWherePathFindsThem) {
  std::filesystem::create_directory(dir_.Path("Scripts"));
  std::filesystem::copy_file(kWindowsCheck, dir_.Path("Scripts/quenlo-check.exe"));
  std::filesystem::copy_file(kProgram, dir_.Path("Scripts/quenlo.exe"));
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("b.ttc"), BuildCollection({CjkFont(980), CjkFont(980)}, true));
  const std::vector<std::string> run = {dir_.Path("Scripts/quenlo-check.exe"), "a.ttf", "b.ttc"};
  const Outcome onPath = UnderWine(dir_, run, false, WindowsName(dir_.Path("Scripts")));
  EXPECT_NE(onPath.out.find("  fix: quenlo.exe -w 500 a.ttf\n"), std::string::npos) << onPath.out;
  EXPECT_NE(onPath.out.find("  fix: quenlo-check.exe --fix b.ttc\n"), std::string::npos)
      << onPath.out;
  const Outcome elsewhere = UnderWine(dir_, run, false);
  EXPECT_NE(elsewhere.out.find("  fix: " + WindowsName(dir_.Path("Scripts/quenlo.exe")) +
                               " -w 500 a.ttf\n"),
            std::string::npos)
      << elsewhere.out;
}

// The console build says on standard error what the GUI program shows in a box, shows no box,
// and patches as the GUI program does.
TEST_F(WineTest, ConsoleBuildReportsOnStandardErrorWithoutABox) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  const Outcome refused = UnderWine(dir_, {kConsoleProgram, "-w", "0", "a.ttf"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(MessageBoxes(refused.err).empty()) << refused.err;
  EXPECT_NE(refused.err.find("Incorrect width.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file "
                             "name>\n"),
            std::string::npos)
      << refused.err;
  const Outcome patched = UnderWine(dir_, {kConsoleProgram, "-w", "500", "a.ttf"}, false);
  EXPECT_EQ(patched.status, 0);
  EXPECT_EQ(patched.err, "");
  Bytes expected = CjkFont(980);
  PutBigEndian16(expected, TableOffset(expected, "OS/2") + 2, 500);
  EXPECT_EQ(ReadFileBytes(dir_.Path("a.ttf")), expected);
}

// What GDI reports of a font at 100 pixels, read by the tests' own Windows program.
struct TextMetrics {
  long average = -1;  // tmAveCharWidth
  long latin = -1;    // the advance of "a"
  long full = -1;     // the advance of U+65E5
};

TextMetrics ReadTextMetrics(const TempDir& folder, const std::string& font,
                            const std::string& family) {
  const Outcome outcome = UnderWine(folder, {kTextMetrics, font, family});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  TextMetrics metrics;
  std::istringstream lines(outcome.out);
  std::string name;
  long value = 0;
  while (lines >> name >> value) {
    if (name == "tmAveCharWidth") metrics.average = value;
    if (name == "a") metrics.latin = value;
    if (name == "full") metrics.full = value;
  }
  return metrics;
}

struct CellCase {
  const char* name;
  const char* font;
  const char* family;
  bool fullWidth;  // a CJK font whose full-width glyphs are twice the half-width ones
};

void PrintTo(const CellCase& c, std::ostream* os) { *os << c.name; }

class WineCellsTest : public WineTest, public testing::WithParamInterface<CellCase> {};

// The fix as a user makes it: the check's suggestion, set by the Linux quenlo and by quenlo.exe
// alike; afterwards GDI's average width is the cell that the glyphs fill.
TEST_P(WineCellsTest, AverageWidthFitsTheCellsOnlyAfterTheFix) {
  const CellCase& c = GetParam();
  const Bytes shipped = ReadFileBytes(c.font);
  ASSERT_FALSE(shipped.empty()) << c.font << ": install the packages of packages/tests.txt";
  for (const char* name : {"shipped.ttf", "linux.ttf", "windows.ttf"}) {
    WriteFileBytes(dir_.Path(name), shipped);
  }
  const Outcome check = RunCommand({kLinuxCheck, "--json", "shipped.ttf"}, dir_.Path(""));
  const std::size_t at = check.out.find("\"suggested\": ");
  ASSERT_NE(at, std::string::npos) << check.out;
  const std::string width = std::to_string(std::stol(check.out.substr(at + 13)));
  ASSERT_EQ(RunCommand({kLinuxProgram, "-w", width, "linux.ttf"}, dir_.Path("")).status, 0);
  ExpectSilentSuccess(RunProgram(dir_, {"-w", width, "windows.ttf"}));
  EXPECT_EQ(ReadFileBytes(dir_.Path("windows.ttf")), ReadFileBytes(dir_.Path("linux.ttf")));

  const TextMetrics before = ReadTextMetrics(dir_, "shipped.ttf", c.family);
  const TextMetrics after = ReadTextMetrics(dir_, "linux.ttf", c.family);
  EXPECT_NE(before.average, before.latin);
  EXPECT_EQ(after.average, after.latin);
  if (c.fullWidth) {
    EXPECT_NE(2 * before.average, before.full);
    EXPECT_EQ(2 * after.average, after.full);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, WineCellsTest,
    testing::Values(CellCase{"CjkOneToTwo",
                             "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf",
                             "BIZ UDGothic", true},
                    CellCase{"MonospacedWithWideGlyphs",
                             "/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf",
                             "Noto Sans Mono", false}),
    [](const testing::TestParamInfo<CellCase>& test) { return std::string(test.param.name); });

struct FixCellCase {
  const char* name;
  const char* font;
  const char* family;
  long before;  // tmAveCharWidth at 100 px before the fix
  long after;   // and after it
};

void PrintTo(const FixCellCase& c, std::ostream* os) { *os << c.name; }

class WineFixCellsTest : public WineTest, public testing::WithParamInterface<FixCellCase> {};

// quenlo-check --fix, on Windows as on Linux, writes the same bytes, and GDI then reports the
// cell the glyphs fill, for a CFF font and for the members of a collection that shared one OS/2
// table with members that must keep theirs.
TEST_P(WineFixCellsTest, FixWritesTheLinuxBytesAndGdiSeesTheCell) {
  const FixCellCase& c = GetParam();
  const Bytes shipped = ReadFileBytes(c.font);
  ASSERT_FALSE(shipped.empty()) << c.font << ": install the packages of packages/tests.txt";
  const std::string suffix = std::string(c.font).substr(std::string(c.font).rfind('.'));
  for (const std::string name : {"shipped", "linux", "windows"}) {
    WriteFileBytes(dir_.Path(name + suffix), shipped);
  }
  const Outcome linux = RunCommand({kLinuxCheck, "--fix", "linux" + suffix}, dir_.Path(""));
  EXPECT_EQ(linux.status, 0) << linux.err;
  const Outcome windows = UnderWine(dir_, {kWindowsCheck, "--fix", "windows" + suffix});
  EXPECT_EQ(windows.status, 0) << windows.err;
  EXPECT_EQ(ReadFileBytes(dir_.Path("windows" + suffix)),
            ReadFileBytes(dir_.Path("linux" + suffix)));

  const TextMetrics before = ReadTextMetrics(dir_, "shipped" + suffix, c.family);
  const TextMetrics after = ReadTextMetrics(dir_, "linux" + suffix, c.family);
  EXPECT_EQ(before.average, c.before);
  EXPECT_EQ(after.average, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, WineFixCellsTest,
    testing::Values(FixCellCase{"CollectionMemberSplitOff",
                                "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                                "Noto Sans Mono CJK JP", 98, 50},
                    FixCellCase{"CollectionMemberThatKeepsItsTable",
                                "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                                "Noto Sans CJK JP", 98, 98},
                    FixCellCase{"CffFont", "/usr/share/fonts/opentype/unifont/unifont.otf",
                                "Unifont", 100, 50},
                    FixCellCase{"TrueTypeCjkFont",
                                "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf",
                                "BIZ UDGothic", 96, 50}),
    [](const testing::TestParamInfo<FixCellCase>& test) { return std::string(test.param.name); });

}  // namespace
