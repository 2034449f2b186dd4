// Runs --install, --installed and --uninstall as a user would, with the user's data folder and
// fontconfig's view of the installed fonts kept to the test's folder: the renamed copy that
// fontTools and OpenType Sanitizer accept, found by fontconfig under its new family, a second
// install that replaces it, and an uninstall that takes only Quenlo's copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/check_program_test.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"

namespace {

const char kCheck[] = QUENLO_CHECK_PROGRAM;

class CheckInstallTest : public CheckProgramTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.Path("system"));
    WriteFileBytes(dir_.Path("system/gothic.ttf"), NamedCjkFont(980, "Test Gothic"));
    WriteFileBytes(dir_.Path("system/mono.ttf"), NamedCjkFont(500, "Test Mono"));
    // fontconfig sees the test's system fonts and the user's font folder, and nothing else.
    const std::string config = "<?xml version=\"1.0\"?><fontconfig><dir>" + dir_.Path("system") +
                               "</dir><dir>" + dir_.Path("data/fonts") + "</dir><cachedir>" +
                               dir_.Path("cache") + "</cachedir></fontconfig>\n";
    WriteFileBytes(dir_.Path("fonts.conf"), Bytes(config.begin(), config.end()));
    options_.environment = {"XDG_DATA_HOME=" + dir_.Path("data"), "HOME=" + dir_.Path(""),
                            "FONTCONFIG_FILE=" + dir_.Path("fonts.conf")};
  }
  Outcome Run(std::vector<std::string> arguments) { return Check(std::move(arguments), options_); }
  Outcome Python(const std::string& script, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"/usr/bin/python3", "-c", script};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunCommand(command, dir_.Path(""), options_);
  }
  // The copies in the user's font folder of the fonts whose names start with stem, by path.
  std::vector<std::string> CopiesOf(const std::string& stem) {
    std::vector<std::string> copies;
    if (!std::filesystem::exists(dir_.Path("data/fonts"))) return copies;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path("data/fonts"))) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(stem + "-Fixed-", 0) == 0 && name.size() == stem.size() + 19) {
        copies.push_back(entry.path().string());
      }
    }
    std::sort(copies.begin(), copies.end());
    return copies;
  }
  std::string CopyOf(const std::string& stem) {
    const std::vector<std::string> copies = CopiesOf(stem);
    return copies.size() == 1 ? copies[0] : "(" + std::to_string(copies.size()) + " copies)";
  }
  RunOptions options_;
};

TEST_F(CheckInstallTest, InstallsARenamedFixedCopyThatFontToolsAndOtsAccept) {
  const std::string biz = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf";
  if (!std::filesystem::exists(biz)) GTEST_SKIP() << "apt-get install fonts-morisawa-bizud-gothic";
  const Outcome outcome = Run({"--install", biz});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string copy = CopyOf("BIZUDGothic-Regular");
  EXPECT_NE(outcome.out.find("\n" + biz + ": installed a fixed copy for you as \"BIZ UDGothic " +
                             "Fixed\", in " + copy + ": choose it in your programs\n"),
            std::string::npos)
      << outcome.out;
  // Every record programs tell families apart by differs from the original's, the Japanese
  // ones too, and the checksums hold.
  const Outcome names = Python(
      "import sys\n"
      "from fontTools.ttLib import TTFont\n"
      "old = TTFont(sys.argv[2])['name']\n"
      "new = TTFont(sys.argv[1], checkChecksums=2)\n"
      "print(new['OS/2'].xAvgCharWidth)\n"
      "for r in new['name'].names:\n"
      "    if r.nameID in (1, 3, 4, 6, 16, 21):\n"
      "        was = old.getName(r.nameID, r.platformID, r.platEncID, r.langID).toUnicode()\n"
      "        print(hex(r.langID), r.nameID, r.toUnicode(), was != r.toUnicode())\n",
      {copy, biz});
  const std::string gothic = "BIZ UD\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF Fixed";
  EXPECT_EQ(names.out,
            "1024\n0x409 1 BIZ UDGothic Fixed True\n"
            "0x409 3 001;MRSW;BIZ-UDGothic Fixed True\n"
            "0x409 4 BIZ UDGothic Fixed True\n0x409 6 BIZUDGothicFixed-Regular True\n"
            "0x411 1 " +
                gothic +
                " True\n0x411 3 001;MRSW;BIZ-UDGothic Fixed True\n"
                "0x411 4 " +
                gothic + " True\n")
      << names.err;
  EXPECT_EQ(
      RunCommand({"/usr/bin/ots-sanitize", copy, dir_.Path("sanitized")}, dir_.Path("")).status, 0);
  EXPECT_EQ(ReadFileBytes(biz).size(), std::filesystem::file_size(biz));
  EXPECT_EQ(Run({copy}).status, 0);
  const Outcome matched =
      RunCommand({"/usr/bin/fc-match", "--format", "%{family[0]}|%{file}", "BIZ UDGothic Fixed"},
                 dir_.Path(""), options_);
  EXPECT_EQ(matched.out, "BIZ UDGothic Fixed|" + copy);
}

// A CFF copy keeps the PostScript names of its font, which its CFF table holds too.
TEST_F(CheckInstallTest, CffCopyKeepsThePostScriptNameOfItsCffTable) {
  const std::string noto = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
  if (!std::filesystem::exists(noto)) GTEST_SKIP() << "apt-get install fonts-noto-cjk";
  const Outcome installed = Run({"--install", noto});
  EXPECT_EQ(installed.status, 0);
  // Its Mono members' flags say proportional, as fontTools reads them: no fixed-pitch list has
  // their copies, and the report says so.
  EXPECT_NE(installed.out.find("\"Noto Sans Mono CJK HK Fixed\" are not reported as fixed pitch"),
            std::string::npos)
      << installed.out;
  const Outcome names = Python(
      "import sys\n"
      "from fontTools.ttLib import TTFont\n"
      "from fontTools.ttLib.ttCollection import TTCollection\n"
      "old = {f['name'].getDebugName(1): f['name'].getDebugName(6)\n"
      "       for f in TTCollection(sys.argv[2], lazy=True)}\n"
      "for font in TTCollection(sys.argv[1], lazy=True):\n"
      "    name = font['name']\n"
      "    print(name.getDebugName(1), old[name.getDebugName(1)[:-6]] == name.getDebugName(6))\n",
      {CopyOf("NotoSansCJK-Regular"), noto});
  EXPECT_EQ(names.out,
            "Noto Sans Mono CJK JP Fixed True\nNoto Sans Mono CJK KR Fixed True\n"
            "Noto Sans Mono CJK SC Fixed True\nNoto Sans Mono CJK TC Fixed True\n"
            "Noto Sans Mono CJK HK Fixed True\n")
      << names.err;
}

// A face left out of the copy (its OS/2 table is over 64 KiB) is told so, and the face copied
// after it is told its own copy's family.
TEST_F(CheckInstallTest, EachFaceIsToldOfItsOwnCopy) {
  Bytes font = BuildCollection({NamedCjkFont(980, "Big Gothic"), NamedCjkFont(980, "Test Gothic")});
  const auto load = [&](std::size_t at) {
    return static_cast<std::uint32_t>(font[at] << 24 | font[at + 1] << 16 | font[at + 2] << 8 |
                                      font[at + 3]);
  };
  // Member 0's OS/2 table moves to the end of the file, grown past 64 KiB.
  const std::size_t directory = load(12);
  for (std::size_t record = directory + 12;
       record < directory + 12 + 16u * (load(directory + 4) >> 16); record += 16) {
    if (std::string(font.begin() + static_cast<std::ptrdiff_t>(record),
                    font.begin() + static_cast<std::ptrdiff_t>(record) + 4) != "OS/2") {
      continue;
    }
    Bytes os2(font.begin() + load(record + 8), font.begin() + load(record + 8) + load(record + 12));
    os2.resize(70000);
    font.resize((font.size() + 3) / 4 * 4);
    PutBigEndian32(font, record + 8, static_cast<std::uint32_t>(font.size()));
    PutBigEndian32(font, record + 12, 70000);
    font.insert(font.end(), os2.begin(), os2.end());
  }
  WriteFileBytes(dir_.Path("big.ttc"), font);
  const Outcome outcome = Run({"--install", "big.ttc"});
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_NE(outcome.out.find("(big.ttc#0): xAvgCharWidth 980, should be 500: "), std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("\n  no fixed copy: its OS/2 table is larger than the 64 KiB"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("\n  a fixed copy is installed for you: choose \"Test Gothic Fixed\""),
            std::string::npos)
      << outcome.out;
  EXPECT_EQ(outcome.out.find("choose \"Big Gothic Fixed\""), std::string::npos) << outcome.out;
}

// A font whose length is 1 GiB but which holds a few KiB, its last table a hole, gets no copy:
// one made by its length would be a dense gigabyte in the user's font folder.
TEST_F(CheckInstallTest, SparseFontGetsNoCopy) {
  MetricsFont metrics = CjkMetrics(980);
  metrics.more = {{"name", NameTable({{3, 0x409, 1, "Sparse Gothic"}})}, {"zzzz", Bytes(4)}};
  Bytes font = BuildMetricsFont(metrics);
  const std::vector<TableRecord> records = ReadTableDirectory(font);
  const std::uint64_t size = std::uint64_t{1} << 30;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].tag == "zzzz") {
      PutBigEndian32(font, 12 + 16 * i + 12, static_cast<std::uint32_t>(size - records[i].offset));
    }
  }
  WriteFileBytes(dir_.Path("sparse.ttf"), font);
  std::filesystem::resize_file(dir_.Path("sparse.ttf"), size);
  const Outcome outcome = Run({"--install", "sparse.ttf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("more than twice the bytes it holds"), std::string::npos)
      << outcome.err;
  EXPECT_TRUE(CopiesOf("sparse").empty());
}

TEST_F(CheckInstallTest, InstalledNamesFontsByFamilyAndOffersTheirCopies) {
  // fontconfig lists only fonts that FreeType loads: real ones play the system's here.
  const std::string biz = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf";
  const std::string mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
  if (!std::filesystem::exists(biz) || !std::filesystem::exists(mono)) GTEST_SKIP();
  const std::string wide = dir_.Path("system/BIZUDGothic-Regular.ttf");
  std::filesystem::copy_file(biz, wide);
  // A fixed-pitch face 2 units off its half width of 1233 (of 2048) draws the same cells at
  // every size: it is counted, not named, and gets no copy.
  const Outcome near = Python(
      "import sys\nfrom fontTools.ttLib import TTFont\n"
      "font = TTFont(sys.argv[1])\nfont['OS/2'].xAvgCharWidth = 1235\nfont.save(sys.argv[2])\n",
      {mono, dir_.Path("system/DejaVuSansMono.ttf")});
  ASSERT_EQ(near.status, 0) << near.err;
  const std::string verdict = ": xAvgCharWidth 1962, should be 1024: ";
  Outcome listed = Run({"--installed"});
  EXPECT_EQ(listed.status, 1);
  EXPECT_NE(listed.out.find("BIZ UDGothic Regular (" + wide + ")" + verdict), std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("\n  its text cells come out too wide: 11 pixels for characters of "
                            "6, at 12 pixels\n  fix: " +
                            std::string(kCheck) + " --install " + wide + "\n"),
            std::string::npos)
      << listed.out;
  EXPECT_EQ(listed.out.find("DejaVu"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("\n1 of the 2 faces of the installed fonts gives text cells of the "
                            "wrong width (named above).\n1 more stores"),
            std::string::npos)
      << listed.out;
  EXPECT_EQ(Run({"--install", "--installed"}).status, 0);
  const std::string copy = CopyOf("BIZUDGothic-Regular");
  listed = Run({"--installed"});
  EXPECT_NE(listed.out.find("\n  a fixed copy is installed for you: choose \"BIZ UDGothic Fixed\" "
                            "in your programs\n"),
            std::string::npos)
      << listed.out;
  const Outcome json = Run({"--installed", "--json"});
  EXPECT_NE(json.out.find("\"family\": \"BIZ UDGothic\", \"style\": \"Regular\", \"copy\": \"" +
                          copy + "\", \"copyFamily\": \"BIZ UDGothic Fixed\"}"),
            std::string::npos)
      << json.out;
}

// An installed font in a format the check does not read is counted, not an error.
TEST_F(CheckInstallTest, InstalledFontsOfOtherFormatsAreCountedInOneLine) {
  const std::string mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
  if (!std::filesystem::exists(mono)) GTEST_SKIP() << "apt-get install fonts-dejavu-core";
  std::filesystem::copy_file(mono, dir_.Path("system/DejaVuSansMono.ttf"));
  // A bitmap font in BDF, which fontconfig lists and the check does not read.
  const std::string bdf =
      "STARTFONT 2.1\nFONT -misc-fixed-medium-r-normal--8-80-75-75-c-50-iso10646-1\n"
      "SIZE 8 75 75\nFONTBOUNDINGBOX 5 8 0 -1\nSTARTPROPERTIES 2\nFONT_ASCENT 7\n"
      "FONT_DESCENT 1\nENDPROPERTIES\nCHARS 1\nSTARTCHAR space\nENCODING 32\nSWIDTH 500 0\n"
      "DWIDTH 5 0\nBBX 5 8 0 -1\nBITMAP\n00\n00\n00\n00\n00\n00\n00\n00\nENDCHAR\nENDFONT\n";
  WriteFileBytes(dir_.Path("system/fixed.bdf"), Bytes(bdf.begin(), bdf.end()));
  const Outcome listed = Run({"--installed"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.err, "");
  EXPECT_NE(listed.out.find("\nNot checked among the installed font files: 1 in formats the "
                            "check does not read (such as Type 1 and bitmap fonts).\n"),
            std::string::npos)
      << listed.out;
}

// --installed --fix writes the user's own fonts only: a font the system owns gets the advice of a
// copy, and no folder's name can add a font that is installed nowhere to the list.
TEST_F(CheckInstallTest, InstalledFixWritesOnlyTheUsersOwnListedFonts) {
  const std::string biz = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf";
  if (!std::filesystem::exists(biz)) GTEST_SKIP() << "apt-get install fonts-morisawa-bizud-gothic";
  const std::string system = dir_.Path("system/BIZUDGothic-Regular.ttf");
  const std::string own = dir_.Path("data/fonts/BIZUDGothic-Regular.ttf");
  const std::string victim = dir_.Path("victim/BIZUDGothic-Regular.ttf");
  const std::string forging = dir_.Path("data/fonts/x\n") + victim.substr(0, victim.rfind('/'));
  for (const std::string& folder : {dir_.Path("data/fonts"), dir_.Path("victim"), forging}) {
    std::filesystem::create_directories(folder);
  }
  for (const std::string& path : {system, own, victim, forging + "/BIZUDGothic-Regular.ttf"}) {
    std::filesystem::copy_file(biz, path);
  }
  const Bytes original = ReadFileBytes(biz);
  const Outcome fixed = Run({"--installed", "--fix"});
  EXPECT_NE(fixed.out.find(own + ": xAvgCharWidth 1962, should be 1024"), std::string::npos)
      << fixed.out;
  EXPECT_NE(fixed.out.find("  fix: " + std::string(kCheck) + " --install " + system + "\n"),
            std::string::npos)
      << fixed.out;
  EXPECT_EQ(fixed.out.find("(" + victim + ")"), std::string::npos) << fixed.out;
  EXPECT_NE(ReadFileBytes(own), original);
  EXPECT_EQ(ReadFileBytes(system), original);
  EXPECT_EQ(ReadFileBytes(victim), original);
}

TEST_F(CheckInstallTest, EachSourceHasItsOwnCopyAndUninstallTakesOnlyThoseCopies) {
  std::filesystem::create_directories(dir_.Path("other"));
  WriteFileBytes(dir_.Path("other/gothic.ttf"), NamedCjkFont(980, "Other Gothic"));
  EXPECT_EQ(Run({"--install", "system/gothic.ttf"}).status, 0);
  EXPECT_EQ(Run({"--install", "--family", "My Gothic", dir_.Path("system/gothic.ttf")}).status, 0);
  ASSERT_EQ(CopiesOf("gothic").size(), 1u);  // the same font by two names: replaced
  // Another font of the same file name gets a copy of its own, credited to it alone.
  EXPECT_EQ(Run({"--install", "other/gothic.ttf"}).status, 0);
  ASSERT_EQ(CopiesOf("gothic").size(), 2u);
  const Outcome json = Run({"--installed", "--json", "system/gothic.ttf", "other/gothic.ttf"});
  EXPECT_NE(json.out.find("\"copyFamily\": \"My Gothic\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"copyFamily\": \"Other Gothic Fixed\""), std::string::npos);
  // Files that Quenlo did not make stay, though they hold the mark or a copy's name: a copy
  // under the user's own name, and a font named like a copy without the mark inside.
  const std::vector<std::string> copies = CopiesOf("gothic");
  std::filesystem::copy_file(copies[0], dir_.Path("data/fonts/Mine.ttf"));
  const std::string lookalike = dir_.Path("data/fonts/look-Fixed-0123abcd.ttf");
  WriteFileBytes(lookalike, NamedCjkFont(500, "Someone Else"));
  const Outcome removed = Run({"--uninstall"});
  EXPECT_EQ(removed.status, 0);
  // In the order of the files' tags, which come from the temporary folder's name.
  const std::string mine = "removed the fixed copy \"My Gothic\", ";
  const std::string other = "removed the fixed copy \"Other Gothic Fixed\", ";
  const bool myFirst = removed.out.rfind(mine, 0) == 0;
  EXPECT_EQ(removed.out, myFirst ? mine + copies[0] + "\n" + other + copies[1] + "\n"
                                 : other + copies[0] + "\n" + mine + copies[1] + "\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("data/fonts/Mine.ttf")));
  EXPECT_TRUE(std::filesystem::exists(lookalike));
  EXPECT_EQ(Run({"--uninstall"}).out, "No fixed copy made by Quenlo is installed for you.\n");
}

TEST_F(CheckInstallTest, AFileOfTheCopysNameThatQuenloDidNotMakeIsLeftAsItIs) {
  EXPECT_EQ(Run({"--install", "system/gothic.ttf"}).status, 0);
  const std::string copy = CopyOf("gothic");
  WriteFileBytes(copy, NamedCjkFont(500, "Someone Else"));
  const Outcome refused = Run({"--install", "system/gothic.ttf"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "quenlo-check: system/gothic.ttf: your font folder already holds a file of its copy's "
            "name that Quenlo did not make; it is left as it is; no copy was installed\n");
  EXPECT_EQ(ReadFileBytes(copy), NamedCjkFont(500, "Someone Else"));
}

// A source whose name is too long for a copy's name to add to.
TEST_F(CheckInstallTest, ASourceOfAnyNameLengthGetsACopy) {
  const std::string longName = std::string(250, 'n') + ".ttf";
  WriteFileBytes(dir_.Path(longName), NamedCjkFont(980, "Long Gothic"));
  const Outcome installed = Run({"--install", longName});
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_EQ(CopiesOf(std::string(64, 'n')).size(), 1u);
  EXPECT_EQ(Run({"--uninstall"}).status, 0);
  EXPECT_TRUE(CopiesOf(std::string(64, 'n')).empty());
}

// Relative HOME, as the XDG rules say, is no home: nothing goes below the current folder.
TEST_F(CheckInstallTest, ARelativeHomeIsNoHome) {
  options_.environment = {"HOME=home", "FONTCONFIG_FILE=" + dir_.Path("fonts.conf")};
  const Outcome outcome = Run({"--install", "system/gothic.ttf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("neither XDG_DATA_HOME nor HOME is set to an absolute path"),
            std::string::npos)
      << outcome.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("home")));
}

TEST_F(CheckInstallTest, WrongUsesAreRefusedAndAFamilyTooLongForWindowsToo) {
  struct Refusal {
    std::vector<std::string> arguments;
    std::string error;
  };
  for (const Refusal& refusal :
       {Refusal{{"--family", "X", "system/gothic.ttf"}, "--family goes with --install"},
        Refusal{{"--uninstall", "system/gothic.ttf"}, "--uninstall goes alone"},
        Refusal{{"--install", "--fix", "system/gothic.ttf"},
                "--install and --fix do not go together"},
        Refusal{{"--install", "-"},
                "a font read from standard input cannot be installed: give its file"}}) {
    const Outcome outcome = Run(refusal.arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), "quenlo-check: " + refusal.error);
  }
  const Outcome tooLong = Run({"--install", "--family", std::string(32, 'f'), "system/gothic.ttf"});
  EXPECT_EQ(tooLong.status, 2);
  EXPECT_NE(tooLong.err.find("longer than the 31 characters that Windows selects a font by"),
            std::string::npos)
      << tooLong.err;
  EXPECT_TRUE(CopiesOf("gothic").empty());
  // A refusal that quotes the font's own name shows its control characters escaped.
  const Outcome escaped =
      Run({"--install", "--family", "\x1b[2J" + std::string(30, 'g'), "system/gothic.ttf"});
  EXPECT_EQ(escaped.status, 2);
  EXPECT_NE(escaped.err.find("the family \\x1b[2Jggg"), std::string::npos) << escaped.err;
  EXPECT_EQ(escaped.err.find('\x1b'), std::string::npos);
}

}  // namespace
