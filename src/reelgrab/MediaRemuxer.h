#pragma once

#include <QString>
#include <QStringList>

// Copies the streams of downloaded files into one MP4 (Matroska when MP4 cannot hold one of
// them) without re-encoding, through a small module that links the media libraries, opened on
// first use so the helper itself starts without them.
namespace MediaRemuxer {

inline constexpr const char *ModuleFileName = "libfennix_reelgrab_remux.so";

struct Result
{
    bool ok = false;
    QString container; // "mp4" or "mkv": the extension the output's name should carry
    QString message;   // what was chosen or left out, or why it failed
};

// The module beside the running program, else in the build layout's ../lib; empty when neither.
QString modulePath();
bool available();

// Writes output (replacing it) from every stream of the inputs; on failure output is gone.
Result remux(const QStringList &inputs, const QString &output);

} // namespace MediaRemuxer
