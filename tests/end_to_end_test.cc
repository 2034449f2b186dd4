// Runs the built program as a user would and checks its exit status, its output and the bytes of
// every file it was pointed at.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/expected_messages.h"
#include "tests/files.h"
#include "tests/font_builder.h"
#include "tests/run_program.h"
#include "tests/small_tmpfs.h"

namespace {

const char kProgram[] = QUENLO_PROGRAM;
const char kRealFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A message as the Linux program writes it to standard error.
std::string Line(const char* message) { return std::string(message) + "\n"; }

// Runs the program in folder with these arguments.
Outcome RunProgram(const TempDir& folder, std::vector<std::string> arguments,
                   const RunOptions& options = {}, const char* program = kProgram) {
  arguments.insert(arguments.begin(), program);
  return RunCommand(arguments, folder.Path(""), options);
}

class EndToEndTest : public testing::Test {
 protected:
  TempDir dir_;
};

struct SuccessCase {
  std::vector<std::string> arguments;
  std::string fileName;
  std::uint16_t width;
};

void PrintTo(const SuccessCase& c, std::ostream* os) { *os << testing::PrintToString(c.arguments); }

class PatchedTest : public EndToEndTest, public testing::WithParamInterface<SuccessCase> {};

TEST_P(PatchedTest, ExitsZeroSilentlyWithOnlyTheFieldChanged) {
  const SuccessCase& c = GetParam();
  const Bytes before = SampleFont(1000);
  WriteFileBytes(dir_.Path(c.fileName), before);
  const Outcome outcome = RunProgram(dir_, c.arguments);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  Bytes expected = before;
  PutBigEndian16(expected, TableOffset(before, "OS/2") + 2, c.width);
  EXPECT_EQ(ReadFileBytes(dir_.Path(c.fileName)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchedTest,
    testing::Values(SuccessCase{{"font.ttf"}, "font.ttf", 8},
                    SuccessCase{{"-w", "500", "font.ttf"}, "font.ttf", 500},
                    SuccessCase{{"-w500", "font.ttf"}, "font.ttf", 500},
                    SuccessCase{{"-w", "1", "font.ttf"}, "font.ttf", 1},
                    SuccessCase{{"-w", "32767", "font.ttf"}, "font.ttf", 32767},
                    SuccessCase{{"font.ttf", "-w", "12"}, "font.ttf", 8},
                    SuccessCase{{"-w", "12", "-w", "14", "-w"}, "-w", 12},
                    SuccessCase{{"-w", "700", "My Font.ttf"}, "My Font.ttf", 700},
                    SuccessCase{{"\ttab.ttf"}, "\ttab.ttf", 8},
                    SuccessCase{{"\xFC.ttf"}, "\xFC.ttf", 8},
                    SuccessCase{{"a\"b.ttf"}, "a\"b.ttf", 8}, SuccessCase{{"-W"}, "-W", 8},
                    SuccessCase{{"./--help"}, "--help", 8},
                    SuccessCase{{"-w", "9", "--version"}, "--version", 9}));

// The standard streams a program may be started without: by a service manager, cron, or a
// parent that closed its descriptors. Descriptors the program opens then take their numbers.
struct ClosedStreams {
  const char* name;
  std::vector<int> streams;
};

const ClosedStreams kClosedStreams[] = {
    {"ErrorClosed", {2}}, {"OutputAndErrorClosed", {1, 2}}, {"AllClosed", {0, 1, 2}}};

void PrintTo(const ClosedStreams& c, std::ostream* os) { *os << c.name; }

class PatchedWithStreamsClosedTest : public EndToEndTest,
                                     public testing::WithParamInterface<ClosedStreams> {};

TEST_P(PatchedWithStreamsClosedTest, ChangesOnlyTheFieldAndAddsNoFile) {
  const Bytes before = SampleFont(1000);
  WriteFileBytes(dir_.Path("font.ttf"), before);
  EXPECT_EQ(RunProgram(dir_, {"-w", "500", "font.ttf"}, {{}, false, GetParam().streams}).status, 0);
  Bytes expected = before;
  PutBigEndian16(expected, TableOffset(before, "OS/2") + 2, 500);
  EXPECT_EQ(Snapshot(dir_), (std::map<std::string, Bytes>{{dir_.Path("font.ttf"), expected}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, PatchedWithStreamsClosedTest, testing::ValuesIn(kClosedStreams),
                         [](const testing::TestParamInfo<ClosedStreams>& test) {
                           return std::string(test.param.name);
                         });

struct RefusalCase {
  const char* name;
  std::vector<std::string> arguments;
  Bytes font;  // written to font.ttf
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

// Runs one refusal in a folder that also holds a directory and a FIFO, and checks that it ends
// with status 1 and every file in the folder as it was; returns what the program wrote.
Outcome ExpectRefusedUntouched(const TempDir& dir, const RefusalCase& c,
                               const RunOptions& options = {}) {
  WriteFileBytes(dir.Path("font.ttf"), c.font);
  std::filesystem::create_directory(dir.Path("folder"));
  EXPECT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  const auto before = Snapshot(dir);
  const Outcome outcome = RunProgram(dir, c.arguments, options);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(Snapshot(dir), before);
  return outcome;
}

class RefusedTest : public EndToEndTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedTest, ExitsOneWithOneMessageAndTouchesNoFile) {
  const RefusalCase& c = GetParam();
  const Outcome outcome = ExpectRefusedUntouched(dir_, c);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, Line(c.message));
}

const Bytes kSample = SampleFont();

const RefusalCase kRefusals[] = {
    RefusalCase{"NoArguments", {}, kSample, kNameMessage},
    RefusalCase{"HelpWithAFile", {"--help", "font.ttf"}, kSample, kCantOpen},
    RefusalCase{"EmptyArgument", {""}, kSample, kNameMessage},
    RefusalCase{"WidthWithoutName", {"-w", "12"}, kSample, kNameMessage},
    RefusalCase{"WidthZero", {"-w", "0", "font.ttf"}, kSample, kWidthMessage},
    RefusalCase{"WidthTooLarge", {"-w", "32768", "font.ttf"}, kSample, kWidthMessage},
    RefusalCase{"WidthHuge", {"-w", "99999999999", "font.ttf"}, kSample, kWidthMessage},
    RefusalCase{"WidthMissing", {"-w"}, kSample, kWidthMessage},
    RefusalCase{"WidthNotANumber", {"-w", "font.ttf"}, kSample, kWidthMessage},
    RefusalCase{"WidthThenTab", {"-w", "12\tfont.ttf"}, kSample, kWidthMessage},
    RefusalCase{"QuotedArgument", {"\"font.ttf\""}, kSample, kQuoteMessage},
    RefusalCase{"QuoteInNameWithSpace", {"a \"b"}, kSample, kQuoteMessage},
    RefusalCase{"NameTooLong", {std::string(3000, 'f')}, kSample, kTooLongMessage},
    RefusalCase{"Missing", {"missing.ttf"}, kSample, kCantOpen},
    RefusalCase{"Directory", {"folder"}, kSample, kCantOpen},
    RefusalCase{"Fifo", {"fifo"}, kSample, kCantOpen},
    RefusalCase{"Device", {"/dev/null"}, kSample, kCantOpen},
    RefusalCase{"EmptyFile", {"font.ttf"}, {}, kEndOfFile},
    RefusalCase{"CffFont", {"font.ttf"}, BuildFont({{"OS/2", Os2Table(9)}}, 0x4F54544F), kFormat},
    RefusalCase{
        "Collection", {"font.ttf"}, BuildFont({{"OS/2", Os2Table(9)}}, 0x74746366), kFormat},
    RefusalCase{"NoOs2", {"font.ttf"}, BuildFont({{"head", Bytes(54, 1)}}), kNotFound},
    RefusalCase{
        "DirectoryCut", {"font.ttf"}, Bytes(kSample.begin(), kSample.begin() + 40), kEndOfFile},
    RefusalCase{"Os2PastEnd", {"font.ttf"}, SampleFontWithOs2At(0xFFFFFFFF), kBeyondEnd},
    RefusalCase{"Os2NearFourGigabytes", {"font.ttf"}, SampleFontWithOs2At(0xFFFFFFFE), kBeyondEnd},
    RefusalCase{"Os2OffsetZero", {"font.ttf"}, SampleFontWithOs2At(0), kNotFound},
    RefusalCase{"LargestDirectoryClaimed",
                {"font.ttf"},
                WithNumTables(BuildFont({{"head", Bytes(54, 1)}}), 65535),
                kEndOfFile},
    RefusalCase{"Os2JustPastEnd",
                {"font.ttf"},
                SampleFontWithOs2At(static_cast<std::uint32_t>(kSample.size()) - 3),
                kBeyondEnd}};

INSTANTIATE_TEST_SUITE_P(Cases, RefusedTest, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<RefusalCase>& test) {
                           return std::string(test.param.name);
                         });

// With a stream closed the message has nowhere to go, but the status must still tell, and the
// font must not receive it.
class RefusedWithStreamsClosedTest
    : public EndToEndTest,
      public testing::WithParamInterface<std::tuple<RefusalCase, ClosedStreams>> {};

TEST_P(RefusedWithStreamsClosedTest, ExitsOneAndTouchesNoFile) {
  const auto& [refusal, closed] = GetParam();
  ExpectRefusedUntouched(dir_, refusal, {{}, false, closed.streams});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedWithStreamsClosedTest,
    testing::Combine(testing::ValuesIn(kRefusals), testing::ValuesIn(kClosedStreams)),
    [](const testing::TestParamInfo<std::tuple<RefusalCase, ClosedStreams>>& test) {
      return std::string(std::get<0>(test.param).name) + "_" + std::get<1>(test.param).name;
    });

TEST_F(EndToEndTest, HelpAndVersionAloneGoToStandardOutput) {
  const Outcome help = RunProgram(dir_, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.substr(0, 48), "Usage: quenlo [-w <Width>] <Full TTF file name>\n");
  EXPECT_EQ(help.err, "");
  const Outcome version = RunProgram(dir_, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.substr(0, 7), "quenlo ");
  EXPECT_EQ(version.err, "");
}

TEST_F(EndToEndTest, EveryCutBeforeTheOs2OffsetEndsTheFileTooSoon) {
  // The sample's OS/2 record is its third: its offset field ends at byte 56.
  const std::string path = dir_.Path("font.ttf");
  for (std::size_t cut = 0; cut <= 56; ++cut) {
    const Bytes font(kSample.begin(), kSample.begin() + static_cast<std::ptrdiff_t>(cut));
    WriteFileBytes(path, font);
    const Outcome outcome = RunProgram(dir_, {"-w", "500", "font.ttf"});
    EXPECT_EQ(outcome.status, 1) << cut;
    EXPECT_EQ(outcome.err, Line(cut < 56 ? kEndOfFile : kBeyondEnd)) << cut;
    EXPECT_EQ(ReadFileBytes(path), font) << cut;
  }
}

TEST_F(EndToEndTest, FieldAtVeryEndOfFileIsPatchedWithoutGrowingIt) {
  const Bytes font = SampleFontWithOs2At(static_cast<std::uint32_t>(kSample.size()) - 4);
  WriteFileBytes(dir_.Path("font.ttf"), font);
  EXPECT_EQ(RunProgram(dir_, {"-w", "258", "font.ttf"}).status, 0);
  const Bytes after = ReadFileBytes(dir_.Path("font.ttf"));
  EXPECT_EQ(DifferingPositions(font, after),
            (std::vector<std::size_t>{font.size() - 2, font.size() - 1}));
  EXPECT_EQ(after[font.size() - 2], 0x01);
  EXPECT_EQ(after[font.size() - 1], 0x02);
}

TEST_F(EndToEndTest, WriteOntoAFullFileSystemIsReportedAndChangesNothing) {
  const SmallTmpfs tmpfs(dir_.Path("full"));
  if (!tmpfs.mounted()) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  // The field lies in a hole of a sparse file, so writing it needs a page that the full file
  // system cannot give.
  constexpr std::uint32_t kHole = 32768;
  const std::string path = dir_.Path("full/font.ttf");
  WriteFileBytes(path, SampleFontWithOs2At(kHole));
  ASSERT_EQ(truncate(path.c_str(), kHole + 4096), 0);
  const Bytes before = ReadFileBytes(path);
  ASSERT_TRUE(tmpfs.FillUp());

  const Outcome outcome = RunProgram(dir_, {"-w", "500", path});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, Line(kCantWrite));
  EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(EndToEndTest, FileLockedByAnotherProcessIsRefused) {
  const std::string path = dir_.Path("font.ttf");
  WriteFileBytes(path, kSample);
  const int holder = open(path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  const Outcome outcome = RunProgram(dir_, {"-w", "500", "font.ttf"});
  close(holder);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, Line(kCantOpen));
  EXPECT_EQ(ReadFileBytes(path), kSample);
}

TEST_F(EndToEndTest, ReadOnlyFileIsRefused) {
  const std::string path = dir_.Path("readonly.ttf");
  WriteFileBytes(path, kSample);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  // A copy of the program in the open folder runs as nobody wherever the build lies.
  ASSERT_EQ(chmod(dir_.Path("").c_str(), 0755), 0);
  const std::string program = dir_.Path("quenlo");
  std::filesystem::copy_file(kProgram, program);
  const Outcome outcome =
      RunProgram(dir_, {"-w", "500", "readonly.ttf"}, {{}, true, {}}, program.c_str());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, Line(kCantOpen));
  EXPECT_EQ(ReadFileBytes(path), kSample);
}

TEST_F(EndToEndTest, SymbolicLinkPatchesItsTarget) {
  WriteFileBytes(dir_.Path("target.ttf"), kSample);
  std::filesystem::create_symlink("target.ttf", dir_.Path("link.ttf"));
  EXPECT_EQ(RunProgram(dir_, {"-w", "500", "link.ttf"}).status, 0);
  EXPECT_EQ(DifferingPositions(kSample, ReadFileBytes(dir_.Path("target.ttf"))).size(), 2u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path("link.ttf")));
}

TEST_F(EndToEndTest, RealFontChangesInExactlyTheTwoFieldBytes) {
  const Bytes original = ReadFileBytes(kRealFont);
  ASSERT_FALSE(original.empty()) << "install fonts-dejavu-core";
  const std::string path = dir_.Path("DejaVuSans.ttf");
  WriteFileBytes(path, original);
  const Outcome outcome = RunProgram(dir_, {"-w", "500", path});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  const Bytes once = ReadFileBytes(path);
  const std::uint32_t os2 = TableOffset(original, "OS/2");
  EXPECT_EQ(DifferingPositions(original, once), (std::vector<std::size_t>{os2 + 2u, os2 + 3u}));
  EXPECT_EQ(once.at(os2 + 2), 0x01);
  EXPECT_EQ(once.at(os2 + 3), 0xF4);

  EXPECT_EQ(RunProgram(dir_, {"-w", "500", path}).status, 0);
  EXPECT_EQ(ReadFileBytes(path), once);
}

}  // namespace
