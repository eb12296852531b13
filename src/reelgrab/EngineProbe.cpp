#include "reelgrab/EngineProbe.h"

#include "engine/Corvidash.h"
#include "reelgrab/EngineLibrary.h"

#include <QUrl>

namespace {

using RunFn = CorvidashProbe *(*)(const char *, const char *, int64_t, int32_t);
using FreeFn = void (*)(CorvidashProbe *);
using ErrorStringFn = const char *(*)(int);

std::optional<SyncHttp::Response> run(void *libHandle, const QString &url, const char *range, qint64 maxBytes, int timeoutMs)
{
    const auto probe = EngineLibrary::symbol<RunFn>(libHandle, "CorvidashProbeRun");
    const auto release = EngineLibrary::symbol<FreeFn>(libHandle, "CorvidashProbeFree");
    if (!probe || !release)
        return std::nullopt;
    CorvidashProbe *answer = probe(url.toUtf8().constData(), range, maxBytes, timeoutMs);
    if (!answer)
        return std::nullopt;
    SyncHttp::Response out;
    out.ok = answer->status != 0;
    out.status = answer->status;
    out.mimeType = QString::fromLatin1(answer->contentType).section(u';', 0, 0).trimmed().toLower();
    out.contentLength = answer->contentLength;
    out.suggestedFileName = SyncHttp::fileNameFromDisposition(QByteArray(answer->disposition));
    if (out.suggestedFileName.isEmpty())
        out.suggestedFileName = QUrl(QString::fromUtf8(answer->finalUrl)).fileName();
    if (answer->body && answer->bodyLength > 0)
        out.body = QByteArray(answer->body, qsizetype(answer->bodyLength));
    out.truncated = answer->cut != 0;
    if (answer->code != 0) {
        const auto text = EngineLibrary::symbol<ErrorStringFn>(libHandle, "CorvidashErrorString");
        out.error = text ? QString::fromUtf8(text(answer->code)) : QStringLiteral("engine code %1").arg(answer->code);
    }
    release(answer);
    return out;
}

} // namespace

namespace EngineProbe {

std::optional<SyncHttp::Response> head(void *libHandle, const QString &url, int timeoutMs)
{
    return run(libHandle, url, nullptr, 0, timeoutMs);
}

std::optional<SyncHttp::Response> firstBytes(void *libHandle, const QString &url, qint64 count, int timeoutMs)
{
    const QByteArray range = "0-" + QByteArray::number(count - 1);
    return run(libHandle, url, range.constData(), count, timeoutMs);
}

} // namespace EngineProbe
