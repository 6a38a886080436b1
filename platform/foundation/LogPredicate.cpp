#include "platform/foundation/LogPredicate.h"

namespace {

enum class TokenKind { End, Word, Text, Open, Close, Not, And, Or, Equal, NotEqual, Bad };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;
};

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_' || c == u'$';
}

bool isWordCharacter(QChar c) {
    return isWordStart(c) || c.isDigit() || c == u'.';
}

class Tokenizer {
public:
    explicit Tokenizer(const QString& text) : m_text(text) {}

    Token next(QString* error) {
        while (m_position < m_text.size() && m_text[m_position].isSpace())
            ++m_position;
        if (m_position >= m_text.size())
            return {TokenKind::End, {}};
        const QChar c = m_text[m_position];
        const QChar following = m_position + 1 < m_text.size() ? m_text[m_position + 1] : QChar();
        auto symbol = [&](TokenKind kind, int length) {
            m_position += length;
            return Token{kind, {}};
        };
        if (c == u'(')
            return symbol(TokenKind::Open, 1);
        if (c == u')')
            return symbol(TokenKind::Close, 1);
        if (c == u'&' && following == u'&')
            return symbol(TokenKind::And, 2);
        if (c == u'|' && following == u'|')
            return symbol(TokenKind::Or, 2);
        if (c == u'=' && following == u'=')
            return symbol(TokenKind::Equal, 2);
        if (c == u'!' && following == u'=')
            return symbol(TokenKind::NotEqual, 2);
        if (c == u'!')
            return symbol(TokenKind::Not, 1);
        if (c == u'"' || c == u'\'')
            return quoted(c, error);
        if (isWordStart(c)) {
            const qsizetype start = m_position;
            while (m_position < m_text.size() && isWordCharacter(m_text[m_position]))
                ++m_position;
            const QString word = m_text.mid(start, m_position - start);
            if (word.compare(u"AND", Qt::CaseInsensitive) == 0)
                return {TokenKind::And, {}};
            if (word.compare(u"OR", Qt::CaseInsensitive) == 0)
                return {TokenKind::Or, {}};
            if (word.compare(u"NOT", Qt::CaseInsensitive) == 0)
                return {TokenKind::Not, {}};
            return {TokenKind::Word, word};
        }
        if (error)
            *error = QStringLiteral("unexpected character '%1' at %2").arg(c).arg(m_position);
        return {TokenKind::Bad, {}};
    }

private:
    Token quoted(QChar quote, QString* error) {
        const qsizetype start = m_position++;
        QString value;
        while (m_position < m_text.size()) {
            QChar c = m_text[m_position++];
            if (c == quote)
                return {TokenKind::Text, value};
            if (c == u'\\') {
                if (m_position >= m_text.size())
                    break;
                c = m_text[m_position++];
                if (c == u'n')
                    c = u'\n';
                else if (c == u't')
                    c = u'\t';
            }
            value.append(c);
        }
        if (error)
            *error = QStringLiteral("unterminated text from %1").arg(start);
        return {TokenKind::Bad, {}};
    }

    const QString& m_text;
    qsizetype m_position = 0;
};

} // namespace

// Recursive descent over: or := and ("||" and)*; and := unary ("&&" unary)*;
// unary := "!" unary | "(" or ")" | key operator text.
class LogPredicate::Parser {
public:
    Parser(const QString& text, LogPredicate& predicate, QString* error)
        : m_tokens(text), m_predicate(predicate), m_error(error) {
        advance();
    }

    std::optional<int> parseWhole() {
        const auto root = parseJunction(TokenKind::Or, 0);
        if (!root)
            return std::nullopt;
        if (m_token.kind != TokenKind::End)
            return fail(QStringLiteral("unexpected text after the predicate"));
        return root;
    }

private:
    std::optional<int> fail(const QString& reason) {
        if (m_error && m_error->isEmpty())
            *m_error = reason;
        return std::nullopt;
    }

    void advance() { m_token = m_tokens.next(m_error); }

    int add(Node node) {
        m_predicate.m_nodes.push_back(std::move(node));
        return int(m_predicate.m_nodes.size()) - 1;
    }

    // A chain of one junction kind (|| over && chains, && over unary terms) as one node.
    std::optional<int> parseJunction(TokenKind junction, int depth) {
        auto term = [&]() {
            return junction == TokenKind::Or ? parseJunction(TokenKind::And, depth) : parseUnary(depth);
        };
        auto first = term();
        if (!first)
            return std::nullopt;
        if (m_token.kind != junction)
            return first;
        Node node;
        node.kind = junction == TokenKind::Or ? Kind::Or : Kind::And;
        node.children.push_back(*first);
        while (m_token.kind == junction) {
            advance();
            auto next = term();
            if (!next)
                return std::nullopt;
            node.children.push_back(*next);
        }
        return add(std::move(node));
    }

    std::optional<int> parseUnary(int depth) {
        if (m_token.kind == TokenKind::Bad)
            return std::nullopt;
        if (m_token.kind == TokenKind::Not || m_token.kind == TokenKind::Open) {
            if (depth >= MaximumNesting)
                return fail(QStringLiteral("nested deeper than %1").arg(MaximumNesting));
            const bool negation = m_token.kind == TokenKind::Not;
            advance();
            if (negation) {
                auto operand = parseUnary(depth + 1);
                if (!operand)
                    return std::nullopt;
                Node node;
                node.kind = Kind::Not;
                node.children.push_back(*operand);
                return add(std::move(node));
            }
            auto inner = parseJunction(TokenKind::Or, depth + 1);
            if (!inner)
                return std::nullopt;
            if (m_token.kind != TokenKind::Close)
                return fail(QStringLiteral("missing closing parenthesis"));
            advance();
            return inner;
        }
        return parseComparison();
    }

    std::optional<int> parseComparison() {
        if (m_token.kind != TokenKind::Word)
            return fail(QStringLiteral("expected a key"));
        Node node;
        node.key = m_token.text;
        advance();
        if (m_token.kind == TokenKind::Equal) {
            node.op = Operator::Equal;
        } else if (m_token.kind == TokenKind::NotEqual) {
            node.op = Operator::NotEqual;
        } else if (m_token.kind == TokenKind::Word &&
                   m_token.text.compare(u"CONTAINS", Qt::CaseInsensitive) == 0) {
            node.op = Operator::Contains;
        } else if (m_token.kind == TokenKind::Word &&
                   m_token.text.compare(u"BEGINSWITH", Qt::CaseInsensitive) == 0) {
            node.op = Operator::BeginsWith;
        } else if (m_token.kind == TokenKind::Word &&
                   m_token.text.compare(u"ENDSWITH", Qt::CaseInsensitive) == 0) {
            node.op = Operator::EndsWith;
        } else {
            return fail(QStringLiteral("expected an operator after %1").arg(node.key));
        }
        advance();
        if (m_token.kind != TokenKind::Text)
            return m_token.kind == TokenKind::Bad ? std::nullopt
                                                  : fail(QStringLiteral("expected quoted text"));
        node.value = m_token.text;
        advance();
        return add(std::move(node));
    }

    Tokenizer m_tokens;
    LogPredicate& m_predicate;
    QString* m_error;
    Token m_token;
};

std::optional<LogPredicate> LogPredicate::parse(const QString& text, QString* error) {
    LogPredicate predicate;
    QString reason;
    Parser parser(text, predicate, &reason);
    const auto root = parser.parseWhole();
    if (!root) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("malformed predicate") : reason;
        return std::nullopt;
    }
    predicate.m_root = *root;
    return predicate;
}

bool LogPredicate::matches(const QJsonObject& entry) const {
    return matches(m_root, entry);
}

bool LogPredicate::matches(int index, const QJsonObject& entry) const {
    const Node& node = m_nodes[std::size_t(index)];
    switch (node.kind) {
    case Kind::Not:
        return !matches(node.children.front(), entry);
    case Kind::And:
        for (const int child : node.children) {
            if (!matches(child, entry))
                return false;
        }
        return true;
    case Kind::Or:
        for (const int child : node.children) {
            if (matches(child, entry))
                return true;
        }
        return false;
    case Kind::Compare:
        break;
    }
    const QJsonValue value = entry.value(node.key);
    if (!value.isString())
        return node.op == Operator::NotEqual;
    const QString text = value.toString();
    switch (node.op) {
    case Operator::Equal:
        return text == node.value;
    case Operator::NotEqual:
        return text != node.value;
    case Operator::Contains:
        return text.contains(node.value);
    case Operator::BeginsWith:
        return text.startsWith(node.value);
    case Operator::EndsWith:
        return text.endsWith(node.value);
    }
    return false;
}
