#pragma once

#include <QString>
#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

// The part of a candidate that a query matched, in UTF-16 units.
struct ZRMatchedRange {
    qsizetype location = 0;
    qsizetype length = 0;

    friend bool operator==(const ZRMatchedRange&, const ZRMatchedRange&) = default;
};

// The quality of a candidate that does not match.
inline constexpr std::size_t ZRNotFound = std::numeric_limits<std::size_t>::max();

// Rates candidate titles against one query, as type-select does: lower is better.
//   0  the query at the start of the candidate (case ignored)
//   2  the query elsewhere in it
//   with fuzzy matching, the query's characters (white space left out) in order:
//   1 when the first one is at the start, else 3, plus the number of gaps between matches plus one;
//   1 or 3 alone when the matched characters are all capitals and the candidate is not (an acronym)
// The matched ranges are appended to the caller's list.
class ZRMatchingQualityEvaluator {
public:
    ZRMatchingQualityEvaluator(const QString& query, bool allowFuzzyMatching);

    std::size_t operator()(const QString& candidate, std::vector<ZRMatchedRange>& matchedRanges) const;

private:
    std::size_t fuzzyQuality(const QString& candidate, std::vector<ZRMatchedRange>& matchedRanges) const;

    QString m_query;
    bool m_allowFuzzyMatching;
    std::vector<char32_t> m_foldedCharacters; // the query without white space, case-folded
};

// The evaluator for the query; empty for an empty query.
std::optional<ZRMatchingQualityEvaluator>
newMatchingQualityEvaluatorAllowingFuzzyMatching(const QString& query, bool allowFuzzyMatching);
