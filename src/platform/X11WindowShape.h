#pragma once

#include <QRegion>

class QWindow;

// The X11 side of a see-through window. Without a compositing manager a clear window is
// drawn opaque (black), so such a window keeps only what it draws through the X Shape
// extension: its bounding and input regions. Elsewhere (a compositor, Wayland, no X) the calls
// answer false and change nothing. Main thread.
class X11WindowShape
{
public:
    // Whether this application's X screen has a compositing manager (an owner of
    // "_NET_WM_CM_S<screen>"). True off X: there the toolkit's translucency is trusted.
    static bool hasCompositor();

    // Cuts the window down to region (window coordinates, in the toolkit's device-independent
    // pixels): only that part is shown and takes the mouse. Waits until the X server has
    // applied it, so a screen grab made afterwards sees through the rest.
    static bool setShape(QWindow *window, const QRegion &region);
    // The window takes its whole rectangle again.
    static bool clearShape(QWindow *window);
};
