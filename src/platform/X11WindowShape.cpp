#include "platform/X11WindowShape.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool hasShapeExtension(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_shape_id);
    return ext && ext->present;
}

// A round trip: every request sent before it has been carried out by the server.
void sync(xcb_connection_t *c)
{
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

bool X11WindowShape::hasCompositor()
{
    xcb_connection_t *c = connection();
    if (!c)
        return true;
    // The screen Qt connected to: the default one of the display name.
    int screen = 0;
    if (const char *display = std::getenv("DISPLAY")) {
        const QByteArray d(display);
        const qsizetype dot = d.lastIndexOf('.');
        const qsizetype colon = d.lastIndexOf(':');
        if (dot > colon && colon >= 0)
            screen = d.mid(dot + 1).toInt();
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false; // never interned: nobody ever owned it
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

bool X11WindowShape::setShape(QWindow *window, const QRegion &region)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !hasShapeExtension(c))
        return false;
    const xcb_window_t id = xcb_window_t(window->winId());
    const qreal scale = window->devicePixelRatio();
    std::vector<xcb_rectangle_t> rects;
    for (const QRect &r : region) {
        const QRect px = QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale).toAlignedRect();
        rects.push_back({int16_t(px.x()), int16_t(px.y()), uint16_t(px.width()), uint16_t(px.height())});
    }
    for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_INPUT})
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0, uint32_t(rects.size()), rects.data());
    sync(c);
    return true;
}

bool X11WindowShape::clearShape(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !hasShapeExtension(c))
        return false;
    const xcb_window_t id = xcb_window_t(window->winId());
    for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_INPUT})
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, kind, id, 0, 0, XCB_NONE);
    sync(c);
    return true;
}
