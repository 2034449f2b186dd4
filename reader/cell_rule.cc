#include "reader/cell_rule.h"

#include "sfnt/sfnt.h"

std::int32_t PixelsOf(std::int32_t units, std::int32_t pixels, std::uint16_t unitsPerEm) {
  // Rounded half up, for negative values too: floor((2 * units * pixels + em) / (2 * em)).
  const std::int64_t twice = 2 * std::int64_t{units} * pixels + unitsPerEm;
  const std::int64_t em = 2 * std::int64_t{unitsPerEm};
  return static_cast<std::int32_t>(twice >= 0 ? twice / em : -((-twice + em - 1) / em));
}

std::optional<WrongCells> WrongCellsOf(const FaceSummary& face) {
  const WidthVerdict& verdict = face.verdict;
  if (!face.error.empty() || verdict.ok || verdict.kind == WidthKind::kProportional ||
      !verdict.halfWidth || face.unitsPerEm == 0) {
    return std::nullopt;
  }
  for (std::int32_t pixels = kFirstCellPixels; pixels <= kLastCellPixels; ++pixels) {
    const std::int32_t cell = PixelsOf(face.xAvgCharWidth, pixels, face.unitsPerEm);
    const std::int32_t characters = PixelsOf(*verdict.halfWidth, pixels, face.unitsPerEm);
    if (cell != characters) return WrongCells{pixels, cell, characters};
  }
  return std::nullopt;
}

bool SeenAsFixedPitch(const FaceSummary& face) {
  return face.bProportion == kPanoseMonospaced || face.isFixedPitch != 0;
}
