#include "view/translucency.h"

#include <QGuiApplication>

#include <cstdlib>
#include <string>

// Xlib last: its macros (None, Bool, Status...) clash with other names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

bool X11Composited() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    ::Display* d = x11 ? x11->display() : nullptr;
    if (!d) return false;
    const int screen = DefaultScreen(d);
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen);
    if (XGetSelectionOwner(d, XInternAtom(d, selection.c_str(), False)) == 0) return false;
    XVisualInfo info;
    return XMatchVisualInfo(d, screen, 32, TrueColor, &info) != 0;
}

}  // namespace

bool TranslucentWindowsSupported() {
    if (const char* forced = std::getenv("PAGORA_TRANSLUCENT_WINDOWS"); forced && *forced)
        return std::string(forced) != "0";
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) return X11Composited();
    return platform.startsWith(QLatin1String("wayland"));
}
