#include "downloads/LibraryDateText.h"

namespace {

// Reads `count` decimal digits at pos; -1 when any is not a digit.
int digits(QByteArrayView text, qsizetype pos, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

QString LibraryDateText::format(const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    const QDateTime utc = date.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d +0000", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

QDateTime LibraryDateText::parse(QByteArrayView text)
{
    // "yyyy-MM-dd HH:mm:ss +hhmm"
    if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':'
        || text[16] != ':' || text[19] != ' ' || (text[20] != '+' && text[20] != '-'))
        return QDateTime();
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    const int offH = digits(text, 21, 2), offM = digits(text, 23, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || offH < 0 || offM < 0
        || offH > 23 || offM > 59)
        return QDateTime();
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const int offset = (text[20] == '-' ? -1 : 1) * (offH * 3600 + offM * 60);
    if (offset == 0)
        return QDateTime(date, time, Qt::UTC);
    return QDateTime(date, time, Qt::OffsetFromUTC, offset).toUTC();
}
