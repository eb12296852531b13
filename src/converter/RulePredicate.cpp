#include "converter/RulePredicate.h"

#include <QList>
#include <QRegularExpression>

#include <cmath>

struct RulePredicate::Node
{
    enum Kind { Number, Key, Arith, Compare, And, Or, Not, Const, Between, In } kind = Const;
    double number = 0;
    QString key;
    QString op;
    bool constant = false;
    QList<std::shared_ptr<Node>> children;
};

namespace {

using NodePtr = std::shared_ptr<RulePredicate::Node>;
constexpr int MaxDepth = 64;
constexpr int MaxLength = 4096;

struct Token
{
    enum Type { Num, Ident, Op, End } type = End;
    QString text;
    double number = 0;
};

bool tokenize(const QString &text, QList<Token> *tokens, QString *error)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && text[i + 1].isDigit())) {
            int j = i;
            while (j < n && (text[j].isDigit() || text[j] == u'.'))
                ++j;
            if (j < n && (text[j] == u'e' || text[j] == u'E')) {
                int k = j + 1;
                if (k < n && (text[k] == u'+' || text[k] == u'-'))
                    ++k;
                if (k < n && text[k].isDigit()) {
                    j = k;
                    while (j < n && text[j].isDigit())
                        ++j;
                }
            }
            bool ok = false;
            const double v = text.mid(i, j - i).toDouble(&ok);
            if (!ok) {
                *error = QStringLiteral("bad number at %1").arg(i);
                return false;
            }
            tokens->append({Token::Num, text.mid(i, j - i), v});
            i = j;
            continue;
        }
        if (c.isLetter() || c == u'_' || c == u'$') {
            int j = i;
            while (j < n && (text[j].isLetterOrNumber() || text[j] == u'_' || text[j] == u'.' || text[j] == u'$'))
                ++j;
            tokens->append({Token::Ident, text.mid(i, j - i), 0});
            i = j;
            continue;
        }
        static const QStringList twoChar = {QStringLiteral("=="), QStringLiteral("!="), QStringLiteral("<>"),
                                            QStringLiteral("<="), QStringLiteral("=<"), QStringLiteral(">="),
                                            QStringLiteral("=>"), QStringLiteral("&&"), QStringLiteral("||")};
        const QString two = text.mid(i, 2);
        if (twoChar.contains(two)) {
            tokens->append({Token::Op, two, 0});
            i += 2;
            continue;
        }
        if (QStringLiteral("=<>!()+-*/{},").contains(c)) {
            tokens->append({Token::Op, QString(c), 0});
            ++i;
            continue;
        }
        *error = QStringLiteral("unexpected character '%1' at %2").arg(c).arg(i);
        return false;
    }
    tokens->append({Token::End, QString(), 0});
    return true;
}

class Parser
{
public:
    Parser(const QList<Token> &tokens) : m_tokens(tokens) {}

    NodePtr parseAll(QString *error)
    {
        NodePtr root = orExpr(0);
        if (root && peek().type != Token::End)
            fail(QStringLiteral("unexpected '%1'").arg(peek().text));
        if (!m_error.isEmpty()) {
            *error = m_error;
            return nullptr;
        }
        return root;
    }

private:
    const Token &peek(int ahead = 0) const { return m_tokens[qMin(m_pos + ahead, int(m_tokens.size()) - 1)]; }
    bool isKeyword(const Token &t, const char *word) const
    {
        return t.type == Token::Ident && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isOp(const Token &t, const char *op) const { return t.type == Token::Op && t.text == QLatin1String(op); }
    NodePtr fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = message;
        return nullptr;
    }
    NodePtr make(RulePredicate::Node::Kind kind, const QString &op = QString())
    {
        auto node = std::make_shared<RulePredicate::Node>();
        node->kind = kind;
        node->op = op;
        return node;
    }

    NodePtr orExpr(int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("too deeply nested"));
        NodePtr left = andExpr(depth + 1);
        while (left && (isKeyword(peek(), "OR") || isOp(peek(), "||"))) {
            ++m_pos;
            NodePtr right = andExpr(depth + 1);
            if (!right)
                return nullptr;
            NodePtr node = make(RulePredicate::Node::Or);
            node->children = {left, right};
            left = node;
        }
        return left;
    }

    NodePtr andExpr(int depth)
    {
        NodePtr left = notExpr(depth + 1);
        while (left && (isKeyword(peek(), "AND") || isOp(peek(), "&&"))) {
            ++m_pos;
            NodePtr right = notExpr(depth + 1);
            if (!right)
                return nullptr;
            NodePtr node = make(RulePredicate::Node::And);
            node->children = {left, right};
            left = node;
        }
        return left;
    }

    NodePtr notExpr(int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("too deeply nested"));
        if (isKeyword(peek(), "NOT") || (isOp(peek(), "!") && !isOp(peek(1), "="))) {
            ++m_pos;
            NodePtr inner = notExpr(depth + 1);
            if (!inner)
                return nullptr;
            NodePtr node = make(RulePredicate::Node::Not);
            node->children = {inner};
            return node;
        }
        return primary(depth + 1);
    }

    NodePtr primary(int depth)
    {
        if (isKeyword(peek(), "TRUEPREDICATE") || isKeyword(peek(), "FALSEPREDICATE")) {
            NodePtr node = make(RulePredicate::Node::Const);
            node->constant = isKeyword(peek(), "TRUEPREDICATE");
            ++m_pos;
            return node;
        }
        if (isOp(peek(), "(")) {
            // A parenthesised predicate, or an arithmetic operand of a comparison.
            const int start = m_pos;
            const QString savedError = m_error;
            ++m_pos;
            NodePtr inner = orExpr(depth + 1);
            if (inner && isOp(peek(), ")")) {
                ++m_pos;
                if (!isComparisonAhead())
                    return inner;
            }
            m_pos = start;
            m_error = savedError;
        }
        return comparison(depth + 1);
    }

    bool isComparisonAhead() const
    {
        const Token &t = peek();
        if (t.type == Token::Op)
            return QStringList{QStringLiteral("="), QStringLiteral("=="), QStringLiteral("!="), QStringLiteral("<>"),
                               QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("=<"), QStringLiteral(">"),
                               QStringLiteral(">="), QStringLiteral("=>"), QStringLiteral("+"), QStringLiteral("-"),
                               QStringLiteral("*"), QStringLiteral("/")}
                .contains(t.text);
        return isKeyword(t, "BETWEEN") || isKeyword(t, "IN");
    }

    NodePtr comparison(int depth)
    {
        NodePtr left = additive(depth + 1);
        if (!left)
            return nullptr;
        const Token &t = peek();
        if (isKeyword(t, "BETWEEN") || isKeyword(t, "IN")) {
            const bool between = isKeyword(t, "BETWEEN");
            ++m_pos;
            if (!isOp(peek(), "{"))
                return fail(QStringLiteral("expected '{'"));
            ++m_pos;
            NodePtr node = make(between ? RulePredicate::Node::Between : RulePredicate::Node::In);
            node->children.append(left);
            while (true) {
                NodePtr item = additive(depth + 1);
                if (!item)
                    return nullptr;
                node->children.append(item);
                if (isOp(peek(), ",")) {
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (!isOp(peek(), "}"))
                return fail(QStringLiteral("expected '}'"));
            ++m_pos;
            if (between && node->children.size() != 3)
                return fail(QStringLiteral("BETWEEN takes two bounds"));
            return node;
        }
        static const QStringList ops = {QStringLiteral("="),  QStringLiteral("=="), QStringLiteral("!="),
                                        QStringLiteral("<>"), QStringLiteral("<"),  QStringLiteral("<="),
                                        QStringLiteral("=<"), QStringLiteral(">"),  QStringLiteral(">="),
                                        QStringLiteral("=>")};
        if (t.type != Token::Op || !ops.contains(t.text))
            return fail(QStringLiteral("expected a comparison"));
        const QString op = t.text;
        ++m_pos;
        NodePtr right = additive(depth + 1);
        if (!right)
            return nullptr;
        NodePtr node = make(RulePredicate::Node::Compare, op);
        node->children = {left, right};
        return node;
    }

    // One level of left-associative arithmetic: "+ -" over "* /" over unary values.
    NodePtr arithmetic(int depth, bool additiveLevel)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("too deeply nested"));
        auto next = [&] { return additiveLevel ? arithmetic(depth + 1, false) : unary(depth + 1); };
        const char *first = additiveLevel ? "+" : "*";
        const char *second = additiveLevel ? "-" : "/";
        NodePtr left = next();
        while (left && (isOp(peek(), first) || isOp(peek(), second))) {
            const QString op = peek().text;
            ++m_pos;
            NodePtr right = next();
            if (!right)
                return nullptr;
            NodePtr node = make(RulePredicate::Node::Arith, op);
            node->children = {left, right};
            left = node;
        }
        return left;
    }

    NodePtr additive(int depth) { return arithmetic(depth, true); }

    NodePtr unary(int depth)
    {
        if (depth > MaxDepth)
            return fail(QStringLiteral("too deeply nested"));
        const Token &t = peek();
        if (isOp(t, "-")) {
            ++m_pos;
            NodePtr inner = unary(depth + 1);
            if (!inner)
                return nullptr;
            NodePtr zero = make(RulePredicate::Node::Number);
            NodePtr node = make(RulePredicate::Node::Arith, QStringLiteral("-"));
            node->children = {zero, inner};
            return node;
        }
        if (t.type == Token::Num) {
            NodePtr node = make(RulePredicate::Node::Number);
            node->number = t.number;
            ++m_pos;
            return node;
        }
        if (t.type == Token::Ident && !isKeyword(t, "AND") && !isKeyword(t, "OR") && !isKeyword(t, "NOT")) {
            NodePtr node = make(RulePredicate::Node::Key);
            node->key = t.text;
            ++m_pos;
            return node;
        }
        if (isOp(t, "(")) {
            ++m_pos;
            NodePtr inner = additive(depth + 1);
            if (!inner)
                return nullptr;
            if (!isOp(peek(), ")"))
                return fail(QStringLiteral("expected ')'"));
            ++m_pos;
            return inner;
        }
        return fail(QStringLiteral("expected a value, found '%1'").arg(t.text));
    }

    const QList<Token> &m_tokens;
    int m_pos = 0;
    QString m_error;
};

bool value(const RulePredicate::Node &node, const RulePredicate::Resolver &resolve, double *out)
{
    switch (node.kind) {
    case RulePredicate::Node::Number:
        *out = node.number;
        return true;
    case RulePredicate::Node::Key:
        return resolve && resolve(node.key, out);
    case RulePredicate::Node::Arith: {
        double a = 0;
        double b = 0;
        if (!value(*node.children[0], resolve, &a) || !value(*node.children[1], resolve, &b))
            return false;
        if (node.op == QLatin1String("+"))
            *out = a + b;
        else if (node.op == QLatin1String("-"))
            *out = a - b;
        else if (node.op == QLatin1String("*"))
            *out = a * b;
        else if (b == 0)
            return false;  // a division by zero answers nothing, so the condition fails
        else
            *out = a / b;
        return std::isfinite(*out);
    }
    default:
        return false;
    }
}

bool holds(const RulePredicate::Node &node, const RulePredicate::Resolver &resolve)
{
    switch (node.kind) {
    case RulePredicate::Node::Const:
        return node.constant;
    case RulePredicate::Node::And:
        return holds(*node.children[0], resolve) && holds(*node.children[1], resolve);
    case RulePredicate::Node::Or:
        return holds(*node.children[0], resolve) || holds(*node.children[1], resolve);
    case RulePredicate::Node::Not:
        return !holds(*node.children[0], resolve);
    case RulePredicate::Node::Compare: {
        double a = 0;
        double b = 0;
        if (!value(*node.children[0], resolve, &a) || !value(*node.children[1], resolve, &b))
            return false;
        const QString &op = node.op;
        if (op == QLatin1String("=") || op == QLatin1String("=="))
            return a == b;
        if (op == QLatin1String("!=") || op == QLatin1String("<>"))
            return a != b;
        if (op == QLatin1String("<"))
            return a < b;
        if (op == QLatin1String("<=") || op == QLatin1String("=<"))
            return a <= b;
        if (op == QLatin1String(">"))
            return a > b;
        return a >= b;
    }
    case RulePredicate::Node::Between: {
        double v = 0, lo = 0, hi = 0;
        if (!value(*node.children[0], resolve, &v) || !value(*node.children[1], resolve, &lo)
            || !value(*node.children[2], resolve, &hi))
            return false;
        return v >= lo && v <= hi;
    }
    case RulePredicate::Node::In: {
        double v = 0;
        if (!value(*node.children[0], resolve, &v))
            return false;
        for (int i = 1; i < node.children.size(); ++i) {
            double item = 0;
            if (value(*node.children[i], resolve, &item) && item == v)
                return true;
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace

RulePredicate RulePredicate::parse(const QString &text)
{
    RulePredicate predicate;
    if (text.size() > MaxLength) {
        predicate.m_error = QStringLiteral("condition too long");
        return predicate;
    }
    QList<Token> tokens;
    if (!tokenize(text, &tokens, &predicate.m_error))
        return predicate;
    if (tokens.size() == 1) {
        predicate.m_error = QStringLiteral("empty condition");
        return predicate;
    }
    Parser parser(tokens);
    predicate.m_root = parser.parseAll(&predicate.m_error);
    return predicate;
}

bool RulePredicate::evaluate(const Resolver &resolver) const
{
    return m_root && holds(*m_root, resolver);
}
