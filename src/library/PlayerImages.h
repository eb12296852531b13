#pragma once

#include <QImage>
#include <QString>

// The preview player's pictures, asked for by their plain names ("player_play_normal",
// "soundBtn.png"): a PNG resource of the program when there is one, else the slice of that
// name (without ".png") in the sheet "PlayerArt".
namespace PlayerImages {
inline const QString Sheet = QStringLiteral("PlayerArt");
QImage named(const QString &name);
QString sliceName(const QString &name);
}
