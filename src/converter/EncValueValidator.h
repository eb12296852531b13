#pragma once

#include <QValidator>

// Checks a typed encoder value: a resolution "W*H" (16 to 2000, multiples of 4), a frame rate
// (1 to 100 whole frames, or "Keep original frame rate") or a bit rate in kbps (64 to 128000).
// Text that may still grow into a valid value is Intermediate.
class EncValueValidator : public QValidator
{
    Q_OBJECT
public:
    enum Kind { Resolution, FrameRate, Bitrate };

    explicit EncValueValidator(Kind kind, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
    Kind kind() const { return m_kind; }

    static bool isValidateResolution(const QString &text);
    static bool isValidateFrameRate(const QString &text);
    static bool isValidateBitrate(const QString &text);

private:
    Kind m_kind;
};
