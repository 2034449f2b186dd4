// How the width check describes a face: lines for people, JSON objects for machines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/font_faces.h"

// Whether quenlo can set the face's width: a whole TrueType file, not a collection's member.
bool Patchable(const FaceSummary& face);

// The face's name in messages: the file, and #N for a collection's member.
std::string FaceName(const std::string& file, const FaceSummary& face);

// The lines for people about a readable face: the stored value, ok or the suggested value with
// the reason, then what fixes it. sharedWith lists the other members of its collection that use
// the same OS/2 table.
std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharedWith);

// The JSON object of a readable face, on one line.
std::string FaceJson(const std::string& file, const FaceSummary& face);

// The JSON object of a file, or a collection's member (index), that could not be read.
std::string ErrorJson(const std::string& file, const std::optional<std::uint32_t>& index,
                      const std::string& error);

// text as a JSON string: quotes, backslashes and control characters escaped, valid UTF-8 kept,
// and each byte that is not part of valid UTF-8 written as \u00XX of its value.
std::string JsonString(const std::string& text);
