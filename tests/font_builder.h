// Builds TrueType files in memory for tests and reads them back, independently of the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct TableSpec {
  std::string tag;  // four characters
  Bytes data;
};

// A file with the given tables in this order: offset table, table records with real checksums
// and offsets, then the tables, each padded to four bytes.
Bytes BuildFont(const std::vector<TableSpec>& tables, std::uint32_t sfntVersion = 0x00010000);

// A 96-byte OS/2 table of version 4 holding xAvgCharWidth, with other fields set to non-zero
// filler so that a write to the wrong place shows.
Bytes Os2Table(std::int16_t xAvgCharWidth);

// A small but complete font: head, hhea, OS/2 (with the given width) and name tables.
Bytes SampleFont(std::int16_t xAvgCharWidth = 1000);

// SampleFont() with its OS/2 record pointing at offset instead of the table.
Bytes SampleFontWithOs2At(std::uint32_t offset);

// The font with the count of table records in its header replaced by numTables.
Bytes WithNumTables(Bytes font, std::uint16_t numTables);

struct TableRecord {
  std::string tag;
  std::uint32_t checksum;
  std::uint32_t offset;
  std::uint32_t length;
};

// The table records of a font; reading stops at the end of the bytes.
std::vector<TableRecord> ReadTableDirectory(const Bytes& font);

// The offset of the first table with this tag; fails the current test when there is none.
std::uint32_t TableOffset(const Bytes& font, const std::string& tag);

void PutBigEndian16(Bytes& bytes, std::size_t position, std::uint16_t value);
void PutBigEndian32(Bytes& bytes, std::size_t position, std::uint32_t value);
std::uint32_t GetBigEndian32(const Bytes& bytes, std::size_t position);

// Positions of the bytes where two files differ, with a length change counted as a difference.
std::vector<std::size_t> DifferingPositions(const Bytes& before, const Bytes& after);
