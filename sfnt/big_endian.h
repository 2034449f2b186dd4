// Font files store numbers high byte first; these helpers convert them whatever the host's order.
#pragma once

#include <cstdint>

// Reads a 16-bit value stored high byte first.
constexpr std::uint16_t LoadBigEndian16(const unsigned char* bytes) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

// Reads a 32-bit value stored high byte first.
constexpr std::uint32_t LoadBigEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

// Stores the low 16 bits of value, high byte first.
inline void StoreBigEndian16(std::uint16_t value, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(value >> 8);
  bytes[1] = static_cast<unsigned char>(value & 0xFF);
}

// Stores value, high byte first.
inline void StoreBigEndian32(std::uint32_t value, unsigned char* bytes) {
  StoreBigEndian16(static_cast<std::uint16_t>(value >> 16), bytes);
  StoreBigEndian16(static_cast<std::uint16_t>(value & 0xFFFF), bytes + 2);
}
