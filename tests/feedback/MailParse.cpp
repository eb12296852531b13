#include "MailParse.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

namespace {

const char kScript[] = R"PY(
import sys, json, email, email.policy
raw = sys.stdin.buffer.read()
msg = email.message_from_bytes(raw, policy=email.policy.default)
out = {"headers": {}, "type": msg.get_content_type(), "parts": [], "defects": [str(d) for d in msg.defects]}
for k in msg.keys():
    out["headers"][k] = str(msg[k])
for part in msg.walk():
    if part.is_multipart():
        continue
    payload = part.get_payload(decode=True) or b""
    out["parts"].append({
        "type": part.get_content_type(),
        "charset": part.get_content_charset() or "",
        "filename": part.get_filename() or "",
        "disposition": part.get_content_disposition() or "",
        "encoding": str(part.get("Content-Transfer-Encoding", "")),
        "payload": payload.hex(),
        "defects": [str(d) for d in part.defects],
    })
print(json.dumps(out))
)PY";

}

QJsonObject parseMailWithPython(const QByteArray &message)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        return {};
    QProcess p;
    p.start(python, {QStringLiteral("-c"), QString::fromLatin1(kScript)});
    if (!p.waitForStarted())
        return {};
    p.write(message);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}
