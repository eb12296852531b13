#pragma once

#include <QImage>

struct mpv_handle;
class QWidget;

// The picture side of a QVUltraPlayer: a widget that owns the player's render context.
// attach() must succeed before a file is opened, since the player's video output needs the
// context when the first frame arrives; ready() tells when it has.
class QVUltraPlayerRender
{
public:
    virtual ~QVUltraPlayerRender() = default;
    virtual QWidget *widget() = 0;
    // Makes the render context for the core. Returns false when it cannot be made.
    virtual bool attach(mpv_handle *mpv) = 0;
    // Frees the render context; the core must still exist.
    virtual void detach() = 0;
    // The context exists (the OpenGL view makes it only once it has a GL context).
    virtual bool ready() const = 0;
    // Lets the render context serve requests that wait on the render thread (here the main thread).
    virtual void pump() = 0;
    // The last picture shown, at the widget's size; null when nothing was drawn yet.
    virtual QImage lastFrame() const = 0;
    // "sw" or "gl".
    virtual const char *kind() const = 0;
    // Frames drawn so far.
    virtual qint64 framesDrawn() const = 0;
};
