// The report for machines: one JSON object per face, with the same keys in the same order always.
#include <string>

#include "check/report.h"
#include "check/shown_name.h"
#include "common/utf8.h"
#include "sfnt/sfnt.h"

namespace {

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
    case WidthKind::kDualWidth:
      return "\"dualwidth\"";
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
  return !face.index && face.sfntVersion == kTrueTypeVersion && face.web == WebFlavour::kNone;
}

std::string FaceName(const std::string& file, const FaceSummary& face) {
  const std::string shown = ShownName(file);
  const std::string member = face.index ? shown + "#" + std::to_string(*face.index) : shown;
  return face.web == WebFlavour::kNone ? member : member + " (" + WebFlavourName(face.web) + ")";
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
      // A lone surrogate of U+DC80..U+DCFF stands for the byte, as Python's surrogateescape
      // reads and writes file names, so that os.fsencode gives the exact name back.
      json += Hex4(0xDC00u | c);
    }
    ++i;
  }
  return json + "\"";
}

std::string FaceJson(const std::string& file, const FaceSummary& face, const FaceContext& context) {
  const WidthVerdict& v = face.verdict;
  return "{\"file\": " + JsonString(file) + ", \"index\": " + Index(face.index) +
         ", \"sfntVersion\": " + SfntVersion(face.sfntVersion) + ", \"flavour\": " +
         (face.web == WebFlavour::kNone ? "null" : JsonString(WebFlavourName(face.web))) +
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
         ", \"patchable\": " + Bool(Patchable(face)) + ", \"kept\": " + Bool(v.keptStored) +
         (context.installed
              ? ", \"family\": " + JsonString(context.family) +
                    ", \"style\": " + JsonString(context.style) +
                    ", \"copy\": " + (context.copy ? JsonString(*context.copy) : "null") +
                    ", \"copyFamily\": " + (context.copy ? JsonString(context.copyFamily) : "null")
              : "") +
         "}";
}

std::string ErrorJson(const std::string& file, const std::optional<std::uint32_t>& index,
                      const std::string& error) {
  const std::string member = index ? ", \"index\": " + Index(index) : "";
  return "{\"file\": " + JsonString(file) + member + ", \"error\": " + JsonString(error) + "}";
}

std::string FixedFaceJson(const std::string& file, const FaceSummary& face,
                          const std::optional<std::int32_t>& written,
                          const std::optional<std::string>& output) {
  std::string json = FaceJson(file, face);
  json.pop_back();  // the closing brace
  json += ", \"written\": " + OptionalNumber(written);
  return json + (output ? ", \"output\": " + JsonString(*output) : "") + "}";
}
