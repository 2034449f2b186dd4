// Spans are sorted by their start and swept once: a run of spans that overlap one another, one
// after the next, is a cluster, and a cluster that holds two different spans of two owners marks
// every owner in it.
#include "reader/overlaps.h"

#include <algorithm>

std::vector<bool> OwnersOverlapping(std::vector<OwnedSpan> spans, std::size_t owners) {
  spans.erase(std::remove_if(spans.begin(), spans.end(),
                             [](const OwnedSpan& s) { return s.span.end <= s.span.first; }),
              spans.end());
  std::sort(spans.begin(), spans.end(), [](const OwnedSpan& a, const OwnedSpan& b) {
    if (a.span.first != b.span.first) return a.span.first < b.span.first;
    if (a.span.end != b.span.end) return a.span.end < b.span.end;
    return a.owner < b.owner;
  });
  std::vector<bool> overlapping(owners, false);
  for (std::size_t first = 0; first < spans.size();) {
    std::uint64_t end = spans[first].span.end;
    bool differentSpans = false;
    bool differentOwners = false;
    std::size_t last = first + 1;
    for (; last < spans.size() && spans[last].span.first < end; ++last) {
      differentSpans |= !(spans[last].span == spans[first].span);
      differentOwners |= spans[last].owner != spans[first].owner;
      end = std::max(end, spans[last].span.end);
    }
    if (differentSpans && differentOwners) {
      for (std::size_t i = first; i < last; ++i) overlapping[spans[i].owner] = true;
    }
    first = last;
  }
  return overlapping;
}
