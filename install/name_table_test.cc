// The renaming of a fixed copy, record by record, on names built in the test: the suffix and a
// chosen family in every record programs tell families apart by, in every platform and
// language, and what Windows cannot select refused.
#include "install/name_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kTag[] = "0123abcd";

NameRecord Record(std::uint16_t platform, std::uint16_t language, std::uint16_t nameID,
                  const std::string& text) {
  NameRecord record{
      platform, static_cast<std::uint16_t>(platform == 1 ? 0 : 1), language, nameID, {}};
  for (const char c : text) {
    if (platform != 1) record.text.push_back(0);  // UTF-16BE of ASCII
    record.text.push_back(static_cast<unsigned char>(c));
  }
  return record;
}

// A family's names in US English, Japanese and on the Macintosh.
std::vector<NameRecord> Family(const std::string& family) {
  std::vector<NameRecord> records;
  for (const auto& [platform, language] : {std::pair<int, int>{3, 0x409}, {3, 0x411}, {1, 0}}) {
    const auto p = static_cast<std::uint16_t>(platform);
    const auto l = static_cast<std::uint16_t>(language);
    records.push_back(Record(p, l, 1, family));
    records.push_back(Record(p, l, 2, "Bold"));
    records.push_back(Record(p, l, 3, "Vendor: " + family + " Bold"));
    records.push_back(Record(p, l, 4, family + " Bold"));
    records.push_back(Record(p, l, 5, "Version 1.0"));
    records.push_back(Record(p, l, 6, "TestGothic-Bold"));
    records.push_back(Record(p, l, 16, family));
    records.push_back(Record(p, l, 21, family));
  }
  return records;
}

// The text of the record of nameID on a platform in a language, read as the test wrote it.
std::string TextOf(const std::vector<NameRecord>& records, std::uint16_t platform,
                   std::uint16_t language, std::uint16_t nameID) {
  for (const NameRecord& record : records) {
    if (record.platformID != platform || record.languageID != language || record.nameID != nameID) {
      continue;
    }
    std::string text;
    for (std::size_t i = platform == 1 ? 0 : 1; i < record.text.size();
         i += platform == 1 ? 1 : 2) {
      text += static_cast<char>(record.text[i]);
    }
    return text;
  }
  return "(none)";
}

TEST(NameTableTest, CopyGetsTheSuffixInEveryRecordOfItsFamily) {
  const Renaming renaming = RenamedForCopy(Family("Test Gothic"), "", kTag, false);
  ASSERT_EQ(renaming.error, "");
  EXPECT_EQ(renaming.family, "Test Gothic Fixed");
  for (const auto& [platform, language] : {std::pair<int, int>{3, 0x409}, {3, 0x411}, {1, 0}}) {
    const auto p = static_cast<std::uint16_t>(platform);
    const auto l = static_cast<std::uint16_t>(language);
    SCOPED_TRACE(platform);
    EXPECT_EQ(TextOf(renaming.records, p, l, 1), "Test Gothic Fixed");
    EXPECT_EQ(TextOf(renaming.records, p, l, 2), "Bold");
    EXPECT_EQ(TextOf(renaming.records, p, l, 3), "Vendor: Test Gothic Bold Fixed");
    EXPECT_EQ(TextOf(renaming.records, p, l, 4), "Test Gothic Fixed Bold");
    EXPECT_EQ(TextOf(renaming.records, p, l, 5), "Version 1.0; fixed copy by Quenlo 0123abcd");
    EXPECT_EQ(TextOf(renaming.records, p, l, 6), "TestGothicFixed-Bold");
    EXPECT_EQ(TextOf(renaming.records, p, l, 16), "Test Gothic Fixed");
    EXPECT_EQ(TextOf(renaming.records, p, l, 21), "Test Gothic Fixed");
  }
  EXPECT_EQ(CopyTagOf(renaming.records), kTag);
  EXPECT_EQ(CopyTagOf(Family("Test Gothic")), "");
}

// Names as damaged or odd fonts hold them: each copy must still carry the mark, a family with
// the suffix whole, and a PostScript name that PostScript and the CFF table accept.
TEST(NameTableTest, OddNamesGiveSoundNamesOrAreRefused) {
  std::vector<NameRecord> odd = Family("Test Gothic");
  for (NameRecord& record : odd) {
    if (record.platformID == 3 && (record.nameID == 1 || record.nameID == 5)) {
      record.text.push_back('!');  // an odd length: half a UTF-16 unit at the end
    }
  }
  const Renaming renamed = RenamedForCopy(odd, "", kTag, false);
  ASSERT_EQ(renamed.error, "");
  EXPECT_EQ(TextOf(renamed.records, 3, 0x409, 1), "Test Gothic Fixed");
  EXPECT_EQ(CopyTagOf(renamed.records), kTag);

  std::vector<NameRecord> noVersion;
  for (const NameRecord& record : Family("Test Gothic")) {
    if (record.nameID != 5) noVersion.push_back(record);
  }
  EXPECT_EQ(CopyTagOf(RenamedForCopy(noVersion, "", kTag, false).records), kTag);

  std::vector<NameRecord> empty = Family("Test Gothic");
  empty.push_back(Record(3, 0x412, 1, ""));
  EXPECT_NE(RenamedForCopy(empty, "", kTag, false).error.find("empty"), std::string::npos);

  std::vector<NameRecord> longName = {Record(3, 0x409, 1, "Long"),
                                      Record(3, 0x409, 6, std::string(60, 'L') + "-Bold")};
  EXPECT_EQ(TextOf(RenamedForCopy(longName, "", kTag, false).records, 3, 0x409, 6),
            std::string(53, 'L') + "Fixed-Bold");
  EXPECT_EQ(TextOf(RenamedForCopy(Family("Test Gothic"), "", kTag, true).records, 3, 0x409, 6),
            "TestGothic-Bold");
}

TEST(NameTableTest, ChosenFamilyReplacesTheWholeFamily) {
  const Renaming renaming = RenamedForCopy(Family("Test Gothic"), "My Mono", kTag, false);
  ASSERT_EQ(renaming.error, "");
  EXPECT_EQ(TextOf(renaming.records, 3, 0x409, 1), "My Mono");
  EXPECT_EQ(TextOf(renaming.records, 3, 0x409, 4), "My Mono Bold");
  EXPECT_EQ(TextOf(renaming.records, 3, 0x409, 6), "MyMono-Bold");
  EXPECT_EQ(TextOf(renaming.records, 1, 0, 16), "My Mono");
  // A family of other than ASCII: the Macintosh records that would keep the old one are dropped.
  const Renaming wide =
      RenamedForCopy(Family("Test Gothic"), "\xE5\x9B\xBA\xE5\xAE\x9A", kTag, false);
  ASSERT_EQ(wide.error, "");
  EXPECT_EQ(wide.family, "\xE5\x9B\xBA\xE5\xAE\x9A");
  EXPECT_EQ(TextOf(wide.records, 1, 0, 1), "(none)");
  EXPECT_EQ(TextOf(wide.records, 1, 0, 2), "Bold");
  EXPECT_EQ(TextOf(wide.records, 3, 0x409, 6), "TestGothicFixed-Bold");
}

TEST(NameTableTest, FamilyThatWindowsCannotSelectIsRefused) {
  const std::string thirty(30, 'x');
  EXPECT_EQ(RenamedForCopy(Family("Test"), thirty + "y", kTag, false).error, "");
  EXPECT_NE(
      RenamedForCopy(Family("Test"), thirty + "yz", kTag, false).error.find("Windows selects"),
      std::string::npos);
}

TEST(NameTableTest, FamilyTooLongForTheSuffixIsCutToMakeRoom) {
  // Each family, and the copy's family: the first 25 UTF-16 units, whole characters, trailing
  // spaces dropped, then the suffix; one that has room keeps all of itself.
  const std::u16string f24(24, u'f');
  const std::u16string clef = u"\U0001D11E";  // two units, a surrogate pair
  const struct {
    std::u16string family;
    std::u16string copy;
  } cases[] = {
      {std::u16string(25, u'f'), std::u16string(25, u'f') + u" Fixed"},
      {std::u16string(26, u'f'), std::u16string(25, u'f') + u" Fixed"},
      {u"Noto Sans Tifinagh Adrar Tamahaq", u"Noto Sans Tifinagh Adrar Fixed"},
      {f24 + clef + u"g", f24 + u" Fixed"},
      {f24.substr(1) + clef + u"gg", f24.substr(1) + clef + u" Fixed"},
      {std::u16string(30, u'\u56FA'), std::u16string(25, u'\u56FA') + u" Fixed"},
  };
  const auto utf16 = [](const std::u16string& text) {
    NameBytes bytes;
    for (const char16_t unit : text) {
      bytes.push_back(static_cast<unsigned char>(unit >> 8));
      bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    }
    return bytes;
  };
  for (const auto& c : cases) {
    const Renaming renaming = RenamedForCopy({{3, 1, 0x409, 1, utf16(c.family)}}, "", kTag, false);
    EXPECT_EQ(renaming.error, "");
    ASSERT_FALSE(renaming.records.empty());
    EXPECT_EQ(renaming.records[0].text, utf16(c.copy));
  }
}

TEST(NameTableTest, DisplayNamePrefersWindowsInUsEnglish) {
  std::vector<NameRecord> records = {Record(1, 0, 1, "Mac"), Record(3, 0x411, 1, "Japanese"),
                                     Record(3, 0x409, 1, "English")};
  EXPECT_EQ(DisplayName(records, 1), "English");
  records.pop_back();
  EXPECT_EQ(DisplayName(records, 1), "Japanese");
  records.pop_back();
  EXPECT_EQ(DisplayName(records, 1), "Mac");
  EXPECT_EQ(DisplayName(records, 2), "");
}

TEST(NameTableTest, TableReadsBackAsBuiltAndOneThatDoesNotHoldTogetherIsRefused) {
  const std::vector<NameRecord> records = Family("Test Gothic");
  const NameBytes table = BuildNameTable(records);
  std::vector<NameRecord> read;
  ASSERT_TRUE(ParseNameTable(table, &read));
  EXPECT_EQ(read.size(), records.size());
  EXPECT_EQ(DisplayName(read, 4), "Test Gothic Bold");
  EXPECT_FALSE(ParseNameTable(NameBytes(table.begin(), table.end() - 1), &read));
  EXPECT_FALSE(ParseNameTable(NameBytes(table.begin(), table.begin() + 20), &read));
  NameBytes pastStorage = table;
  pastStorage[5] = 0xFF;  // the strings start past the end
  EXPECT_FALSE(ParseNameTable(pastStorage, &read));
}

TEST(NameTableTest, TextsClaimedManyTimesOverAreRefusedAndTextsPastSixteenBitsAreNotBuilt) {
  // Records that all point at one string of 60,000 bytes: 17 of them come to less than
  // kMaxNameTexts together, 18 to more.
  for (const auto& [count, holds] : {std::pair<std::size_t, bool>{17, true}, {18, false}}) {
    const std::size_t storage = 6 + 12 * count;
    NameBytes table(storage + 60000);
    table[3] = static_cast<unsigned char>(count);
    table[4] = static_cast<unsigned char>(storage >> 8);
    table[5] = static_cast<unsigned char>(storage & 0xFF);
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char* record = &table[6 + 12 * i];
      record[7] = 1;  // the family name, of 60,000 bytes from the string's start
      record[8] = 60000 >> 8;
      record[9] = 60000 & 0xFF;
    }
    std::vector<NameRecord> read;
    EXPECT_EQ(ParseNameTable(table, &read), holds) << count;
  }
  // Two texts of 40,000 bytes each fit 16-bit offsets; a third would start past them, and one
  // of 65,536 bytes is longer than a length can say.
  std::vector<NameRecord> records(2, Record(3, 0x409, 1, std::string(20000, 'x')));
  EXPECT_FALSE(BuildNameTable(records).empty());
  records.push_back(records[0]);
  EXPECT_TRUE(BuildNameTable(records).empty());
  EXPECT_TRUE(BuildNameTable({Record(3, 0x409, 1, std::string(32768, 'x'))}).empty());
}

}  // namespace
