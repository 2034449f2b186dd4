// Checks a fix's writes against everything its faces' reading depends on. Spans are sorted and
// merged so that a file of many faces is checked in n log n steps, not n squared.
#include "fixer/write_bounds.h"

#include <algorithm>
#include <initializer_list>
#include <set>

namespace {

bool Empty(const ByteSpan& span) { return span.end <= span.first; }

void SortByStart(std::vector<ByteSpan>* spans) {
  spans->erase(std::remove_if(spans->begin(), spans->end(), Empty), spans->end());
  std::sort(spans->begin(), spans->end(),
            [](const ByteSpan& a, const ByteSpan& b) { return a.first < b.first; });
}

// True when no two of the spans share a byte; spans equal to each other count once.
bool Disjoint(std::vector<ByteSpan> spans) {
  SortByStart(&spans);
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (!(spans[i] == spans[i - 1]) && spans[i].first < spans[i - 1].end) return false;
  }
  return true;
}

// The union of the spans as sorted spans that do not touch, so that both their starts and their
// ends are in order.
std::vector<ByteSpan> Merged(std::vector<ByteSpan> spans) {
  SortByStart(&spans);
  std::vector<ByteSpan> merged;
  for (const ByteSpan& span : spans) {
    if (!merged.empty() && span.first <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, span.end);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

// Whether the span shares a byte with the merged spans.
bool Touches(const std::vector<ByteSpan>& merged, const ByteSpan& span) {
  const auto after = std::upper_bound(
      merged.begin(), merged.end(), span.first,
      [](std::uint64_t position, const ByteSpan& other) { return position < other.end; });
  return after != merged.end() && after->first < span.end;
}

std::vector<ByteSpan> Joined(std::initializer_list<const std::vector<ByteSpan>*> lists) {
  std::vector<ByteSpan> all;
  for (const std::vector<ByteSpan>* list : lists) all.insert(all.end(), list->begin(), list->end());
  return all;
}

}  // namespace

// A write that landed anywhere else would change another table, or how a face reads next time.
bool WritesStayInTheirFields(const FixInput& input, const std::vector<ByteSpan>& os2Tables,
                             const WriteSpans& writes) {
  std::vector<ByteSpan> directories, unreadDirectories, tables, heads;
  // Faces that use one directory share its list of tables, which is taken once.
  std::set<const std::vector<ByteSpan>*> listed;
  for (const FaceSummary& face : input.faces) {
    // A member that could not be read might read otherwise if its header or records changed.
    (face.error.empty() ? directories : unreadDirectories).push_back(face.directory);
    if (face.otherTables != nullptr && listed.insert(face.otherTables.get()).second) {
      tables.insert(tables.end(), face.otherTables->begin(), face.otherTables->end());
    }
    if (face.head.record != 0) {
      heads.push_back({face.head.offset, std::uint64_t{face.head.offset} + face.head.length});
    }
  }
  const std::vector<ByteSpan>& header = input.collectionSpans;
  if (!Disjoint(os2Tables) || !Disjoint(directories) ||
      !Disjoint(Joined({&writes.values, &writes.records, &writes.adjustment}))) {
    return false;
  }
  const auto none = [](const std::vector<ByteSpan>& spans, const std::vector<ByteSpan>& fields) {
    const std::vector<ByteSpan> merged = Merged(spans);
    return std::none_of(fields.begin(), fields.end(),
                        [&](const ByteSpan& field) { return Touches(merged, field); });
  };
  return none(Joined({&header, &directories, &unreadDirectories, &tables, &heads}),
              writes.values) &&
         none(Joined({&header, &unreadDirectories, &tables, &heads, &os2Tables}), writes.records) &&
         none(Joined({&header, &directories, &unreadDirectories, &tables, &os2Tables}),
              writes.adjustment);
}
