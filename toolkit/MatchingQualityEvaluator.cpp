#include "toolkit/MatchingQualityEvaluator.h"

#include <algorithm>

namespace {
constexpr std::size_t QueryAtStart = 0;
constexpr std::size_t FuzzyAtStart = 1;
constexpr std::size_t QueryInside = 2;
constexpr std::size_t FuzzyInside = 3;

bool isUpperCase(QChar c) {
    return c.toUpper() == c;
}

// The matched characters spell capitals of a title in mixed case, the initials of its words say; digits
// may join them, but alone they are no acronym.
bool matchesAnAcronym(const QString& candidate, const ZRMatchedRange* begin, const ZRMatchedRange* end) {
    const auto character = [&](const ZRMatchedRange& range) { return candidate.at(range.location); };
    return std::all_of(begin, end, [&](const ZRMatchedRange& r) { return isUpperCase(character(r)); }) &&
           std::any_of(begin, end, [&](const ZRMatchedRange& r) { return character(r).isLetter(); }) &&
           !std::all_of(candidate.cbegin(), candidate.cend(), isUpperCase);
}
} // namespace

ZRMatchingQualityEvaluator::ZRMatchingQualityEvaluator(const QString& query, bool allowFuzzyMatching)
    : m_query(query), m_allowFuzzyMatching(allowFuzzyMatching) {
    for (const QChar c : query) {
        if (!c.isSpace())
            m_foldedCharacters.push_back(QChar::toCaseFolded(c.unicode()));
    }
}

std::size_t ZRMatchingQualityEvaluator::operator()(const QString& candidate,
                                                   std::vector<ZRMatchedRange>& matchedRanges) const {
    if (candidate.isEmpty() || m_query.isEmpty())
        return ZRNotFound;
    const qsizetype found = candidate.indexOf(m_query, 0, Qt::CaseInsensitive);
    if (found >= 0) {
        matchedRanges.push_back({found, m_query.size()});
        return found == 0 ? QueryAtStart : QueryInside;
    }
    if (!m_allowFuzzyMatching || m_foldedCharacters.empty())
        return ZRNotFound;
    return fuzzyQuality(candidate, matchedRanges);
}

std::size_t ZRMatchingQualityEvaluator::fuzzyQuality(const QString& candidate,
                                                     std::vector<ZRMatchedRange>& matchedRanges) const {
    const std::size_t firstAppended = matchedRanges.size();
    qsizetype position = 0;
    qsizetype previous = -1;
    qsizetype first = -1;
    std::size_t gaps = 0;
    for (const char32_t wanted : m_foldedCharacters) {
        while (position < candidate.size() && QChar::toCaseFolded(candidate.at(position).unicode()) != wanted)
            ++position;
        if (position >= candidate.size()) {
            matchedRanges.resize(firstAppended);
            return ZRNotFound;
        }
        if (first < 0)
            first = position;
        else if (position != previous + 1)
            ++gaps;
        matchedRanges.push_back({position, 1});
        previous = position++;
    }
    const std::size_t base = first == 0 ? FuzzyAtStart : FuzzyInside;
    const ZRMatchedRange* matched = matchedRanges.data() + firstAppended;
    if (matchesAnAcronym(candidate, matched, matchedRanges.data() + matchedRanges.size()))
        return base;
    return base + gaps + 1;
}

std::optional<ZRMatchingQualityEvaluator>
newMatchingQualityEvaluatorAllowingFuzzyMatching(const QString& query, bool allowFuzzyMatching) {
    if (query.isEmpty())
        return std::nullopt;
    return ZRMatchingQualityEvaluator(query, allowFuzzyMatching);
}
