#include "app/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/show_error.h"
#include "font/avg_char_width.h"
#include "tests/expected_messages.h"
#include "tests/recording_reporter.h"

namespace {

struct PatcherCall {
  std::string fileName;
  Width width;
};

std::vector<PatcherCall> patcherCalls;
bool patcherResult = true;

}  // namespace

// Stands in for the real patcher, which reports its own failures.
bool SetAverageCharWidth(const char* fileName, Width width) {
  patcherCalls.push_back({fileName, width});
  if (!patcherResult) ShowError("patcher failed");
  return patcherResult;
}

namespace {

class RunCommandTailTest : public testing::Test {
 protected:
  void SetUp() override {
    patcherCalls.clear();
    patcherResult = true;
    ShownErrors().clear();
  }
};

struct PatchCase {
  std::string tail;
  std::string fileName;
  Width width;
};

void PrintTo(const PatchCase& c, std::ostream* os) { *os << testing::PrintToString(c.tail); }

class AcceptedTailTest : public RunCommandTailTest,
                         public testing::WithParamInterface<PatchCase> {};

TEST_P(AcceptedTailTest, PassesNameAndWidthToPatcher) {
  const PatchCase& c = GetParam();
  EXPECT_EQ(RunCommandTail(c.tail.c_str()), kExitSuccess);
  ASSERT_EQ(patcherCalls.size(), 1u);
  EXPECT_EQ(patcherCalls[0].fileName, c.fileName);
  EXPECT_EQ(patcherCalls[0].width, c.width);
  EXPECT_TRUE(ShownErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcceptedTailTest,
    testing::Values(
        PatchCase{"font.ttf", "font.ttf", 8}, PatchCase{"   font.ttf", "font.ttf", 8},
        PatchCase{"-w 1 font.ttf", "font.ttf", 1},
        PatchCase{"-w 32767 font.ttf", "font.ttf", 32767},
        PatchCase{"-w 500 \"C:\\Fonts\\Sample Font.ttf\"", "C:\\Fonts\\Sample Font.ttf", 500},
        PatchCase{"-w12 font.ttf", "font.ttf", 12},
        PatchCase{"-w   12    font.ttf", "font.ttf", 12},
        PatchCase{"-w 007 font.ttf", "font.ttf", 7}, PatchCase{"font.ttf -w 12", "font.ttf", 8},
        PatchCase{"-W 12 font.ttf", "-W", 8}, PatchCase{"-w 12 -w 14 font.ttf", "-w", 12},
        PatchCase{"-w 12 \tfont.ttf", "\tfont.ttf", 12},
        PatchCase{"\"C:\\My Fonts\\a.ttf\" junk", "C:\\My Fonts\\a.ttf", 8},
        PatchCase{"\"unclosed name", "unclosed name", 8}, PatchCase{"/w 12", "/w", 8}));

struct RefusedCase {
  std::string tail;
  const char* message;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << testing::PrintToString(c.tail); }

class RefusedTailTest : public RunCommandTailTest,
                        public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTailTest, ShowsOneMessageAndNeverPatches) {
  const RefusedCase& c = GetParam();
  EXPECT_EQ(RunCommandTail(c.tail.c_str()), kExitFailure);
  EXPECT_EQ(ShownErrors(), std::vector<std::string>{c.message});
  EXPECT_TRUE(patcherCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedTailTest,
    testing::Values(RefusedCase{"", kNameMessage}, RefusedCase{"    ", kNameMessage},
                    RefusedCase{"\"", kNameMessage}, RefusedCase{"\"\" x.ttf", kNameMessage},
                    RefusedCase{"-w 12", kNameMessage}, RefusedCase{"-w 12   ", kNameMessage},
                    RefusedCase{"-w 0 font.ttf", kWidthMessage},
                    RefusedCase{"-w 32768 font.ttf", kWidthMessage},
                    RefusedCase{"-w 99999999999 font.ttf", kWidthMessage},
                    RefusedCase{"-w", kWidthMessage}, RefusedCase{"-w   ", kWidthMessage},
                    RefusedCase{"-w font.ttf", kWidthMessage}, RefusedCase{"-w 0", kWidthMessage},
                    RefusedCase{"-w 12\tfont.ttf", kWidthMessage},
                    RefusedCase{"-w -5 font.ttf", kWidthMessage},
                    RefusedCase{"-w 5x font.ttf", kWidthMessage}));

TEST_F(RunCommandTailTest, PatcherFailureGivesStatusOneWithoutSecondMessage) {
  patcherResult = false;
  EXPECT_EQ(RunCommandTail("font.ttf"), kExitFailure);
  EXPECT_EQ(ShownErrors(), std::vector<std::string>{"patcher failed"});
}

// Names that fill the 2046 characters the buffer keeps are patched; longer ones, which the
// scanner cuts, are refused instead of opening the file the cut prefix names.
struct LengthCase {
  std::string tail;
  bool accepted;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
  *os << c.tail.size() << " characters starting " << testing::PrintToString(c.tail.substr(0, 3));
}

class NameLengthTest : public RunCommandTailTest, public testing::WithParamInterface<LengthCase> {};

TEST_P(NameLengthTest, RefusesOnlyNamesTheScannerCut) {
  const LengthCase& c = GetParam();
  if (c.accepted) {
    EXPECT_EQ(RunCommandTail(c.tail.c_str()), kExitSuccess);
    ASSERT_EQ(patcherCalls.size(), 1u);
    EXPECT_EQ(patcherCalls[0].fileName.size(), 2046u);
  } else {
    EXPECT_EQ(RunCommandTail(c.tail.c_str()), kExitFailure);
    EXPECT_EQ(ShownErrors(), std::vector<std::string>{kTooLongMessage});
    EXPECT_TRUE(patcherCalls.empty());
  }
}

const std::string k2046(2046, 'a');
const std::string k2047(2047, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, NameLengthTest,
    testing::Values(LengthCase{k2046, true}, LengthCase{k2046 + " rest", true},
                    LengthCase{"-w 9 " + k2046, true}, LengthCase{"\"" + k2046 + "\"", true},
                    LengthCase{"\"" + k2046 + "\"more", true}, LengthCase{"\"" + k2046, true},
                    LengthCase{k2047, false}, LengthCase{k2047 + " rest", false},
                    LengthCase{std::string(3000, 'a'), false},
                    LengthCase{"\"" + k2047 + "\"", false}, LengthCase{"\"" + k2047, false},
                    LengthCase{"\"" + k2046 + " b\"", false}));

}  // namespace
