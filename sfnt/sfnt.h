// The sfnt layout that every part reads: offset table, table records, the fields of the tables.
#pragma once

#include <cstddef>
#include <cstdint>

// The only sfntVersion accepted: TrueType outlines, not CFF ('OTTO'), Apple 'true' or a collection.
constexpr std::uint32_t kTrueTypeVersion = 0x00010000;
// The others that a font may begin with.
constexpr std::uint32_t kCffVersion = 0x4F54544F;     // 'OTTO'
constexpr std::uint32_t kAppleVersion = 0x74727565;   // 'true'
constexpr std::uint32_t kCollectionTag = 0x74746366;  // 'ttcf'

// Whether a font's first four bytes are an sfntVersion that the reader knows.
inline bool IsFontVersion(std::uint32_t version) {
  return version == kTrueTypeVersion || version == kCffVersion || version == kAppleVersion;
}

// The offset table starts the file.
constexpr std::uint64_t kSfntVersionPosition = 0;
constexpr std::uint64_t kNumTablesPosition = 4;

// numTables records of 16 bytes follow the 12-byte offset table.
constexpr std::uint64_t kOffsetTableSize = 12;
constexpr std::uint64_t kFirstTableRecordPosition = kOffsetTableSize;
constexpr std::uint64_t kTableRecordSize = 16;
constexpr std::uint64_t kChecksumInRecord = 4;
constexpr std::uint64_t kOffsetInRecord = 8;

constexpr std::size_t kTagSize = 4;
constexpr unsigned char kOs2Tag[kTagSize] = {'O', 'S', '/', '2'};

// A collection's header: tag, version, numFonts, then numFonts offsets of 4 bytes; version 2
// adds the tag, length and offset of a signature for the whole collection after them.
constexpr std::uint64_t kCollectionHeaderSize = 12;
constexpr std::uint32_t kCollectionVersion2 = 0x00020000;

// The head table's checkSumAdjustment makes the whole file's checksum 0xB1B0AFBA.
constexpr std::uint64_t kCheckSumAdjustmentInHead = 8;
constexpr std::uint32_t kWholeFileChecksum = 0xB1B0AFBA;

// A DSIG table's count of signatures follows its 32-bit version.
constexpr std::uint64_t kNumSignaturesInDsig = 4;
constexpr std::uint32_t kDsigTag = 0x44534947;  // 'DSIG'

// xAvgCharWidth is the signed 16-bit field right after the OS/2 table's version.
constexpr std::uint64_t kXAvgCharWidthInOs2 = 2;
constexpr std::size_t kXAvgCharWidthSize = 2;

// The PANOSE proportion, of which 9 means monospaced, is the fourth byte of its ten at byte 32.
constexpr std::uint64_t kBProportionInOs2 = 35;
constexpr std::uint8_t kPanoseMonospaced = 9;
// The 'post' table's isFixedPitch, not 0 for a fixed-pitch font, follows its version, italic
// angle and underline fields.
constexpr std::uint64_t kIsFixedPitchInPost = 12;
