// How the width check describes a face: lines for people, JSON objects for machines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/fix_command.h"
#include "fixer/fix_plan.h"
#include "reader/font_faces.h"

// Whether quenlo can set the face's width: a whole TrueType file, not a collection's member.
bool Patchable(const FaceSummary& face);

// The face's name in messages: the file, and #N for a collection's member.
std::string FaceName(const std::string& file, const FaceSummary& face);

// The value a face needs: its own when it is ok, else the suggested one.
std::int32_t NeededWidth(const FaceSummary& face);

// The lines for people about a readable face: the stored value, ok or the suggested value with
// the reason, then what fixes it. sharedWith lists the other members of its collection that use
// the same OS/2 table, given only when some of them need another value than this face. The
// commands run the programs as given.
std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharedWith, const FixPrograms& programs);

// The lines for people about a face that --fix has dealt with: the face as it was found, then
// what was written, or why nothing was. copySharedWith lists the other members that now use the
// same new copy of the OS/2 table.
std::string FixedFaceLines(const std::string& file, const FaceSummary& face, const FaceFix& fix,
                           const std::vector<std::uint32_t>& copySharedWith);

// The JSON object of a readable face, on one line.
std::string FaceJson(const std::string& file, const FaceSummary& face);

// The JSON object of a face that --fix has dealt with: the face as it was found, and "written",
// the value now stored for it, or null when its value did not change.
std::string FixedFaceJson(const std::string& file, const FaceSummary& face,
                          const std::optional<std::int32_t>& written);

// The JSON object of a file, or a collection's member (index), that could not be read.
std::string ErrorJson(const std::string& file, const std::optional<std::uint32_t>& index,
                      const std::string& error);

// text as a JSON string: quotes, backslashes and control characters escaped, valid UTF-8 kept,
// and each byte that is not part of valid UTF-8 written as \u00XX of its value.
std::string JsonString(const std::string& text);
