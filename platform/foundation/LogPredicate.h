#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

// The predicates the log tool filters with, in the form the program writes them:
//     (processImagePath CONTAINS "/bin/") && !(subsystem BEGINSWITH "com.apple")
// A comparison is a key of the entry, an operator (==, !=, CONTAINS, BEGINSWITH, ENDSWITH, case
// sensitive) and a quoted text ("..." or '...', with backslash escapes); comparisons combine with !,
// &&, || (or NOT, AND, OR) and parentheses. A key the entry lacks, or holds no text under, matches
// only !=.
class LogPredicate {
public:
    // Parentheses and negations nested deeper than this are refused.
    static constexpr int MaximumNesting = 64;

    // Empty, with the reason, when the text is no predicate.
    static std::optional<LogPredicate> parse(const QString& text, QString* error = nullptr);

    bool matches(const QJsonObject& entry) const;

private:
    enum class Kind { Compare, Not, And, Or };
    enum class Operator { Equal, NotEqual, Contains, BeginsWith, EndsWith };
    struct Node {
        Kind kind = Kind::Compare;
        Operator op = Operator::Equal;
        QString key;
        QString value;
        std::vector<int> children;
    };
    class Parser;

    bool matches(int node, const QJsonObject& entry) const;

    std::vector<Node> m_nodes;
    int m_root = 0;
};
