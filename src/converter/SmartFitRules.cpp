#include "converter/SmartFitRules.h"

#include "converter/EncodeParamWrapper.h"
#include "converter/RulePredicate.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"

#include <QMutex>

#include <cmath>
#include <cstring>

namespace {

QMutex g_rulesLock;
QVariantMap g_rules;
bool g_rulesLoaded = false;
QString g_rulesPath;
QString g_rulesError;

double boundValue(const QString &piece, bool *ok)
{
    QString text = piece.trimmed();
    static const QString brackets = QStringLiteral(",(){}");
    while (!text.isEmpty() && brackets.contains(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && brackets.contains(text.back()))
        text.chop(1);
    return text.trimmed().toDouble(ok);
}

} // namespace

namespace NSStringIntelligentParameterExtension {

bool parameterRange(const QString &text, ParameterRange *range)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    static const QString allowed = QStringLiteral("0123456789.,(){}");
    for (QChar c : trimmed)
        if (!allowed.contains(c))
            return false;
    const QStringList pieces = text.split(QLatin1Char(','));
    bool ok1 = false;
    bool ok2 = false;
    ParameterRange r;
    if (pieces.size() == 1) {
        r.low = r.high = boundValue(pieces[0], &ok1);
        ok2 = ok1;
    } else if (pieces.size() == 2) {
        r.low = boundValue(pieces[0], &ok1);
        r.high = boundValue(pieces[1], &ok2);
    } else {
        return false;
    }
    if (!ok1 || !ok2)
        return false;
    if (r.low > r.high)
        std::swap(r.low, r.high);
    if (range)
        *range = r;
    return true;
}

} // namespace NSStringIntelligentParameterExtension

namespace SmartFitRules {

QVariantMap rules()
{
    QMutexLocker lock(&g_rulesLock);
    if (g_rulesLoaded)
        return g_rules;
    const QString path = g_rulesPath.isEmpty() ? MainBundle::pathForResource(QStringLiteral("ParamterRules_Std"), QStringLiteral("plist"))
                                               : g_rulesPath;
    QString error;
    const QVariant read = PropertyList::readFile(path, &error, PropertyList::OnDamage::Keep);
    if (path.isEmpty() || read.typeId() != QMetaType::QVariantMap) {
        g_rulesError = path.isEmpty() ? QStringLiteral("the fitting rules resource is missing")
                                      : QStringLiteral("fitting rules %1 are unreadable: %2").arg(path, error.isEmpty() ? QStringLiteral("not a dictionary") : error);
        ScribletLogError(g_rulesError);
        return {};
    }
    g_rules = read.toMap();
    g_rulesLoaded = true;
    g_rulesError.clear();
    return g_rules;
}

void setRulesPathForTesting(const QString &path)
{
    QMutexLocker lock(&g_rulesLock);
    g_rulesPath = path;
    g_rules.clear();
    g_rulesLoaded = false;
    g_rulesError.clear();
}

QString lastError()
{
    QMutexLocker lock(&g_rulesLock);
    return g_rulesError;
}

} // namespace SmartFitRules

QString findRangeForKey(const EncodeParamWrapper *wrapper, const QString &key, const QVariantMap &ruleDictionary)
{
    if (!wrapper || key.isEmpty() || ruleDictionary.isEmpty())
        return {};
    const RulePredicate::Resolver resolve = [wrapper](const QString &name, double *value) {
        return wrapper->valueForKey(name, value);
    };
    for (const QVariant &entry : ruleDictionary.value(key).toList()) {
        const QStringList pieces = entry.toString().split(QLatin1Char(';'));
        if (pieces.size() == 1)
            return pieces[0];
        bool all = true;
        for (int i = 0; i + 1 < pieces.size() && all; ++i) {
            const RulePredicate predicate = RulePredicate::parse(pieces[i]);
            if (!predicate.isValid()) {
                ScribletLogError(QStringLiteral("bad rule condition \"%1\": %2").arg(pieces[i], predicate.errorString()));
                all = false;
            } else {
                all = predicate.evaluate(resolve);
            }
        }
        if (all)
            return pieces.last();
    }
    return {};
}

bool adjustVideoBitrateForBaseRule(IM_EncodeParamEx *b, const QString &baseGeometry, const QString &baseKbps)
{
    if (!b)
        return false;
    const QStringList geometry = baseGeometry.trimmed().split(QLatin1Char('*'));
    if (geometry.size() != 3) {
        ScribletLogError(QStringLiteral("adjust video bitrate exception:base geometry \"%1\" is not W*H*FPS").arg(baseGeometry));
        return false;
    }
    const qint64 w = geometry[0].trimmed().toInt();
    const qint64 h = geometry[1].trimmed().toInt();
    const double fps = geometry[2].trimmed().toDouble();
    const double kbps = baseKbps.trimmed().toDouble();
    const double basePixels = double(w * h) * fps;
    const double pixels = double(qint64(b->width) * qint64(b->height)) * b->frameRate;
    // Without a picture size or frame rate on either side there is nothing to scale by.
    if (!(basePixels > 0) || !(pixels > 0) || !std::isfinite(basePixels) || !std::isfinite(pixels) || !(kbps > 0)) {
        ScribletLogError(QStringLiteral("adjust video bitrate exception:cannot scale %1x%2@%3 by base %4 of %5")
                             .arg(b->width)
                             .arg(b->height)
                             .arg(b->frameRate)
                             .arg(baseGeometry, baseKbps));
        return false;
    }
    const double rate = std::trunc(pixels / basePixels * kbps * 1000.0);
    b->videoBitrate = uint32_t(qBound(0.0, rate, 4294967295.0));
    return true;
}

void swapValue(void *a, void *b, size_t size)
{
    if (!a || !b || size < 1 || a == b)
        return;
    auto *x = static_cast<unsigned char *>(a);
    auto *y = static_cast<unsigned char *>(b);
    for (size_t i = 0; i < size; ++i)
        std::swap(x[i], y[i]);
}
