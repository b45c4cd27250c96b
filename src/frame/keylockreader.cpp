#include "frame/keylockreader.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <string>
#include <vector>

// Xlib last: its macros (None, Bool, KeyPress...) would clash with Qt's names.
#include <X11/XKBlib.h>

namespace {

std::optional<KeyLockState> ReadFromX11() {
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return std::nullopt;
    unsigned int lit = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &lit) != Success) return std::nullopt;
    // The bit of each lock depends on the keymap: look the bits up by name.
    XkbDescPtr keyboard = XkbAllocKeyboard();
    if (!keyboard) return std::nullopt;
    std::vector<std::string> names;
    if (XkbGetNames(display, XkbIndicatorNamesMask, keyboard) == Success && keyboard->names) {
        for (int bit = 0; bit < XkbNumIndicators; ++bit) {
            Atom atom = keyboard->names->indicators[bit];
            char* name = atom ? XGetAtomName(display, atom) : nullptr;
            names.emplace_back(name ? name : "");
            if (name) XFree(name);
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return KeyLocksFromIndicators(names, lit);
#else
    return std::nullopt;
#endif
}

}  // namespace

std::optional<KeyLockState> ReadKeyLocks() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto state = ReadFromX11()) return state;
    }
    return KeyLocksFromLeds();
}
