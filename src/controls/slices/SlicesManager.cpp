#include "controls/slices/SlicesManager.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cmath>

Q_LOGGING_CATEGORY(lcSlices, "basquire.slices")

static void initSliceResources()
{
    // The sheets are compiled into this static library; nothing references the resource
    // initialiser, so it is called here.
    Q_INIT_RESOURCE(slices);
}

namespace {
constexpr qint64 MaxDescriptionBytes = 4 * 1024 * 1024;

bool readNumber(const QXmlStreamAttributes &a, const char *name, qreal *out, bool required)
{
    const QStringView v = a.value(QLatin1String(name));
    if (v.isEmpty()) {
        *out = 0;
        return !required;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < 0 || d > 100000)
        return false;
    *out = d;
    return true;
}

QString cacheKey(const QString &slice, qreal dpr)
{
    return slice + QLatin1Char('@') + QString::number(dpr, 'f', 2);
}
} // namespace

SlicesManager &SlicesManager::defaultManager()
{
    static SlicesManager *manager = [] {
        initSliceResources();
        auto *m = new SlicesManager;
        m->addSearchPath(QStringLiteral(":/"));
        m->addSearchPath(QStringLiteral(":/slices"));
        return m;
    }();
    return *manager;
}

SlicesManager::SlicesManager() = default;
SlicesManager::~SlicesManager() = default;

qreal SlicesManager::screenDevicePixelRatio()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 1.0;
    qreal best = 1.0;
    for (QScreen *s : QGuiApplication::screens())
        best = std::max(best, s->devicePixelRatio());
    return best;
}

bool SlicesManager::addConfigFile(const QString &path, QString *error)
{
    QMutexLocker lock(&m_mutex);
    return loadLocked(path, error);
}

bool SlicesManager::loadLocked(const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        const QString text = QStringLiteral("slice sheet %1: %2").arg(path, why);
        qCWarning(lcSlices).noquote() << text;
        if (error)
            *error = text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open"));
    if (file.size() > MaxDescriptionBytes)
        return fail(QStringLiteral("description too large"));

    auto sheet = std::make_shared<Sheet>();
    QXmlStreamReader xml(&file);
    bool inSheet = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (!inSheet) {
            if (xml.name() != QLatin1String("sheet"))
                return fail(QStringLiteral("root element is not <sheet>"));
            inSheet = true;
            sheet->name = a.value(QLatin1String("name")).toString();
            const QString source = a.value(QLatin1String("source")).toString();
            if (sheet->name.isEmpty() || source.isEmpty())
                return fail(QStringLiteral("sheet needs a name and a source"));
            if (source.contains(QLatin1String("..")) || source.startsWith(QLatin1Char('/')))
                return fail(QStringLiteral("source must lie beside the description"));
            sheet->source = QFileInfo(path).path() + QLatin1Char('/') + source;
            continue;
        }
        if (xml.name() != QLatin1String("slice")) {
            xml.skipCurrentElement();
            continue;
        }
        SliceInfo info;
        info.name = a.value(QLatin1String("name")).toString();
        qreal x, y, w, h, l, r, t, b;
        if (info.name.isEmpty() || !readNumber(a, "x", &x, true) || !readNumber(a, "y", &y, true)
            || !readNumber(a, "width", &w, true) || !readNumber(a, "height", &h, true)
            || !readNumber(a, "left", &l, false) || !readNumber(a, "right", &r, false)
            || !readNumber(a, "top", &t, false) || !readNumber(a, "bottom", &b, false))
            return fail(QStringLiteral("slice \"%1\" has a missing or bad number").arg(info.name));
        if (w <= 0 || h <= 0 || w > MaxSliceSide || h > MaxSliceSide)
            return fail(QStringLiteral("slice \"%1\" has an unusable size").arg(info.name));
        if (l + r > w || t + b > h)
            return fail(QStringLiteral("slice \"%1\" has caps wider than itself").arg(info.name));
        info.rect = QRectF(x, y, w, h);
        info.caps = QMarginsF(l, t, r, b);
        if (!sheet->slices.contains(info.name))
            sheet->order.append(info.name);
        sheet->slices.insert(info.name, info);
        if (sheet->slices.size() > MaxSlicesPerSheet)
            return fail(QStringLiteral("too many slices"));
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        return fail(QStringLiteral("malformed XML: %1").arg(xml.errorString()));
    if (!inSheet)
        return fail(QStringLiteral("empty description"));

    sheet->renderer = std::make_unique<QSvgRenderer>(sheet->source);
    if (!sheet->renderer->isValid())
        return fail(QStringLiteral("cannot read the picture %1").arg(sheet->source));
    m_missing.removeAll(sheet->name);
    m_sheets.insert(sheet->name, sheet);
    return true;
}

void SlicesManager::addSearchPath(const QString &folder)
{
    QMutexLocker lock(&m_mutex);
    if (!m_searchPaths.contains(folder))
        m_searchPaths.append(folder);
    m_missing.clear();
}

QStringList SlicesManager::searchPaths() const
{
    QMutexLocker lock(&m_mutex);
    return m_searchPaths;
}

SlicesManager::Sheet *SlicesManager::sheetLocked(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    auto it = m_sheets.find(name);
    if (it != m_sheets.end())
        return it->get();
    if (m_missing.contains(name) || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
        return nullptr;
    for (const QString &folder : std::as_const(m_searchPaths)) {
        QString base = folder;
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        const QString path = base + name + QStringLiteral(".xml");
        if (QFileInfo::exists(path) && loadLocked(path, nullptr)) {
            it = m_sheets.find(name);
            if (it != m_sheets.end())
                return it->get();
        }
    }
    m_missing.append(name);
    return nullptr;
}

QImage SlicesManager::sliceNamed(const QString &slice, const QString &sheetName, qreal dpr)
{
    if (dpr <= 0)
        dpr = screenDevicePixelRatio();
    dpr = std::clamp(dpr, 1.0, 4.0);
    QMutexLocker lock(&m_mutex);
    Sheet *sheet = sheetLocked(sheetName);
    if (!sheet)
        return {};
    const auto info = sheet->slices.constFind(slice);
    if (info == sheet->slices.constEnd())
        return {};
    const QString key = cacheKey(slice, dpr);
    const auto cached = sheet->cache.constFind(key);
    if (cached != sheet->cache.constEnd())
        return *cached;

    const QRectF r = info->rect;
    QImage image(QSize(std::ceil(r.width() * dpr), std::ceil(r.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        sheet->renderer->setViewBox(r);
        sheet->renderer->render(&p, QRectF(0, 0, r.width(), r.height()));
    }
    sheet->cache.insert(key, image);
    return image;
}

SliceInfo SlicesManager::sliceInfo(const QString &slice, const QString &sheetName)
{
    QMutexLocker lock(&m_mutex);
    Sheet *sheet = sheetLocked(sheetName);
    return sheet ? sheet->slices.value(slice) : SliceInfo{};
}

bool SlicesManager::hasSlice(const QString &slice, const QString &sheet)
{
    return sliceInfo(slice, sheet).isValid();
}

QStringList SlicesManager::sheetNames() const
{
    QMutexLocker lock(&m_mutex);
    QStringList names = m_sheets.keys();
    names.sort();
    return names;
}

QStringList SlicesManager::sliceNames(const QString &sheetName)
{
    QMutexLocker lock(&m_mutex);
    Sheet *sheet = sheetLocked(sheetName);
    return sheet ? sheet->order : QStringList{};
}

void SlicesManager::clearCache()
{
    QMutexLocker lock(&m_mutex);
    for (auto &s : m_sheets)
        s->cache.clear();
}
