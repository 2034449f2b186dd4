// The report for machines: one JSON object per face, with the same keys in the same order always.
#include <string>

#include "check/report.h"
#include "sfnt/sfnt.h"

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there. Overlong
// forms, surrogates and code points past U+10FFFF are not valid.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

std::string Hex4(unsigned value) {
  const char digits[] = "0123456789abcdef";
  std::string text = "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
  return text;
}

std::string OptionalNumber(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : "null";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string SfntVersion(std::uint32_t version) {
  if (version == kTrueTypeVersion) return "\"0x00010000\"";
  std::string tag;
  for (int shift = 24; shift >= 0; shift -= 8) tag += static_cast<char>((version >> shift) & 0xFF);
  return JsonString(tag);
}

const char* KindName(WidthKind kind) {
  switch (kind) {
    case WidthKind::kDuospaced:
      return "\"duospaced\"";
    case WidthKind::kMonospaced:
      return "\"monospaced\"";
    case WidthKind::kProportional:
      break;
  }
  return "\"proportional\"";
}

std::string Index(const std::optional<std::uint32_t>& index) {
  return index ? std::to_string(*index) : "null";
}

}  // namespace

bool Patchable(const FaceSummary& face) {
  return !face.index && face.sfntVersion == kTrueTypeVersion;
}

std::string FaceName(const std::string& file, const FaceSummary& face) {
  return face.index ? file + "#" + std::to_string(*face.index) : file;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      json += Hex4(c);
    } else if (c < 0x80) {
      json += static_cast<char>(c);
    } else if (const std::size_t length = Utf8Length(text, i)) {
      json.append(text, i, length);
      i += length;
      continue;
    } else {
      json += Hex4(c);
    }
    ++i;
  }
  return json + "\"";
}

std::string FaceJson(const std::string& file, const FaceSummary& face) {
  const WidthVerdict& v = face.verdict;
  return "{\"file\": " + JsonString(file) + ", \"index\": " + Index(face.index) +
         ", \"sfntVersion\": " + SfntVersion(face.sfntVersion) +
         ", \"os2Version\": " + std::to_string(face.os2Version) +
         ", \"unitsPerEm\": " + std::to_string(face.unitsPerEm) +
         ", \"xAvgCharWidth\": " + std::to_string(face.xAvgCharWidth) +
         ", \"average\": " + std::to_string(v.average) +
         ", \"weightedAverage\": " + OptionalNumber(v.weightedAverage) +
         ", \"halfWidth\": " + OptionalNumber(v.halfWidth) +
         ", \"halfWidthCount\": " + std::to_string(v.halfWidthCount) +
         ", \"fullWidth\": " + OptionalNumber(v.fullWidth) +
         ", \"cjkCount\": " + std::to_string(v.cjkCount) + ", \"kind\": " + KindName(v.kind) +
         ", \"suggested\": " + std::to_string(v.suggested) + ", \"ok\": " + Bool(v.ok) +
         ", \"patchable\": " + Bool(Patchable(face)) + "}";
}

std::string ErrorJson(const std::string& file, const std::optional<std::uint32_t>& index,
                      const std::string& error) {
  const std::string member = index ? ", \"index\": " + Index(index) : "";
  return "{\"file\": " + JsonString(file) + member + ", \"error\": " + JsonString(error) + "}";
}

std::string FixedFaceJson(const std::string& file, const FaceSummary& face,
                          const std::optional<std::int32_t>& written) {
  std::string json = FaceJson(file, face);
  json.pop_back();  // the closing brace
  return json + ", \"written\": " + OptionalNumber(written) + "}";
}
