#include "RootWindowWay.h"

#include <QFileInfo>

#if TAVI_HAVE_XCB
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace platform {

using namespace wallpaperway;

namespace {

// The pixmap the X root window names as its wallpaper; 0 when none.
quint32 rootPixmap()
{
#if TAVI_HAVE_XCB
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    quint32 pixmap = 0;
    if (!xcb_connection_has_error(c)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        const char name[] = "_XROOTPMAP_ID";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(sizeof name - 1), name), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE && it.rem) {
            xcb_get_property_reply_t *r = xcb_get_property_reply(
                c, xcb_get_property(c, 0, it.data->root, atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
            if (r && xcb_get_property_value_length(r) >= 4)
                pixmap = *static_cast<const quint32 *>(xcb_get_property_value(r));
            std::free(r);
        }
        std::free(atom);
    }
    xcb_disconnect(c);
    return pixmap;
#else
    return 0;
#endif
}

} // namespace

QStringList RootWindowWay::command(const QString &path) const
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (m_tool == Xwallpaper)
        return {QStringLiteral("xwallpaper"), QStringLiteral("--stretch"), abs};
    return {QStringLiteral("feh"), QStringLiteral("--no-fehbg"), QStringLiteral("--bg-scale"), abs};
}

bool RootWindowWay::apply(const QString &path)
{
    // xwallpaper reads no BMP.
    const QString picture = m_tool == Xwallpaper ? ReadableSibling(path) : path;
    if (picture.isEmpty() || !Run(command(picture)))
        return false;
    // The tools exit 0 also when the X server dropped their picture with them (a server that
    // resets once its last client is gone): only a picture the root window names is shown.
    return rootPixmap() != 0;
}

} // namespace platform
