#include "transfer/NSStringTruncating.h"

#include <QList>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

constexpr QChar Ellipsis(0x2026);

// Offsets (in UTF-16 units) where each character starts, plus the text's end.
QList<qsizetype> characterBounds(const QString &text)
{
    QList<qsizetype> bounds;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    bounds << 0;
    while (finder.toNextBoundary() > 0)
        bounds << finder.position();
    if (bounds.constLast() != text.size())
        bounds << text.size();
    return bounds;
}

QString byCharacters(const QString &text, const QList<qsizetype> &bounds, int maxLength)
{
    const int length = int(bounds.size()) - 1;
    // The tail is a third of what is left after the ellipsis and two more; for maxLength
    // under 3 this rounds toward zero, as the plain integer division does.
    const int tail = (maxLength - 3) / 3;
    const int head = maxLength - 1 - tail;
    return text.left(bounds[head]) + Ellipsis + text.mid(bounds[length - tail]);
}

} // namespace

namespace NSStringTruncating {

int characterCount(const QString &text)
{
    return text.isEmpty() ? 0 : int(characterBounds(text).size()) - 1;
}

QString stringByTruncatingMiddleToLength(const QString &text, int maxLength, bool wholeWords)
{
    if (maxLength <= 0)
        return QString();
    const QList<qsizetype> bounds = characterBounds(text);
    const int length = text.isEmpty() ? 0 : int(bounds.size()) - 1;
    if (length <= maxLength)
        return text;
    if (!wholeWords)
        return byCharacters(text, bounds, maxLength);

    QStringList words = text.split(QLatin1Char(' '));
    int running = length;
    qsizetype removedAt = -1;
    while (words.size() > 1 && running > maxLength - 3) {
        const qsizetype index = (words.size() * 2) / 3;
        running -= characterCount(words[index]) + 1;
        words.removeAt(index);
        removedAt = index;
    }
    if (words.size() < 2 || removedAt < 1)
        return byCharacters(text, bounds, maxLength);
    QString joined = words[removedAt - 1] + QStringLiteral(" ") + Ellipsis;
    if (removedAt < words.size()) {
        joined += QLatin1Char(' ') + words[removedAt];
        words.removeAt(removedAt);
    }
    words[removedAt - 1] = joined;
    return words.join(QLatin1Char(' '));
}

} // namespace NSStringTruncating
