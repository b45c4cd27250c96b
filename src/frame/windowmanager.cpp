#include "frame/windowmanager.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

// Xlib last: its macros (None, Bool, KeyPress...) would clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

#if QT_CONFIG(xcb)
// The window that a property of type WINDOW names, or 0.
Window WindowProperty(Display* display, Window of, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (XGetWindowProperty(display, of, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &left, &data) ==
            Success &&
        type == XA_WINDOW && format == 32 && count == 1 && data)
        named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return named;
}

// Asking about a window that has gone raises BadWindow; that answer only means "no".
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
#endif

}  // namespace

bool WindowManagerRunning() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;  // the platform sizes windows itself
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return true;
    // A window manager following the desktop conventions names a check
    // window on the root, and that window names itself; a stale name left
    // by a manager that has ended fails the second test.
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    XSync(display, False);
    auto previous = XSetErrorHandler(IgnoreErrors);
    Window child = WindowProperty(display, DefaultRootWindow(display), check);
    bool running = child != 0 && WindowProperty(display, child, check) == child;
    XSync(display, False);
    XSetErrorHandler(previous);
    return running;
#else
    return true;
#endif
}
