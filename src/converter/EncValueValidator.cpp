#include "converter/EncValueValidator.h"

#include "platform/MainBundle.h"

namespace {

bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Digits only and within [low, high]; long digit runs are out of range, never an overflow.
bool numberIn(const QString &text, qint64 low, qint64 high)
{
    if (!allDigits(text) || text.size() > 9)
        return false;
    const qint64 v = text.toLongLong();
    return v >= low && v <= high;
}

} // namespace

EncValueValidator::EncValueValidator(Kind kind, QObject *parent)
    : QValidator(parent)
    , m_kind(kind)
{
}

bool EncValueValidator::isValidateResolution(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('*'));
    if (parts.size() != 2)
        return false;
    for (const QString &p : parts)
        if (!numberIn(p, 16, 2000) || p.toInt() % 4 != 0)
            return false;
    return true;
}

bool EncValueValidator::isValidateFrameRate(const QString &text)
{
    return text == MainBundle::localizedString("Keep original frame rate") || numberIn(text, 1, 100);
}

bool EncValueValidator::isValidateBitrate(const QString &text) { return numberIn(text, 64, 128000); }

QValidator::State EncValueValidator::validate(QString &input, int &) const
{
    bool ok = false;
    switch (m_kind) {
    case Resolution: ok = isValidateResolution(input); break;
    case FrameRate: ok = isValidateFrameRate(input); break;
    case Bitrate: ok = isValidateBitrate(input); break;
    }
    if (ok)
        return Acceptable;
    // What may still become valid while typing: digits, and for a size one "*".
    for (QChar c : input) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && !(m_kind == Resolution && c == QLatin1Char('*')))
            return m_kind == FrameRate && MainBundle::localizedString("Keep original frame rate").startsWith(input)
                       ? Intermediate
                       : Invalid;
    }
    if (m_kind == Resolution && input.count(QLatin1Char('*')) > 1)
        return Invalid;
    return Intermediate;
}
