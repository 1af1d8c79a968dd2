#include "app/caps_lock.h"

#include <QGuiApplication>

#ifdef VELQ8_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace CapsLock {

namespace {

bool g_fallbackState = false;

#ifdef VELQ8_HAVE_X11
Display *x11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}
#endif

} // namespace

bool isOn()
{
#ifdef VELQ8_HAVE_X11
    if (Display *display = x11Display()) {
        XkbStateRec state;
        if (XkbGetState(display, XkbUseCoreKbd, &state) == Success)
            return (state.locked_mods & LockMask) != 0;
    }
#endif
    return g_fallbackState;
}

bool toggle()
{
    const bool on = !isOn();
#ifdef VELQ8_HAVE_X11
    if (Display *display = x11Display()) {
        XkbLockModifiers(display, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XFlush(display);
    }
#endif
    g_fallbackState = on;
    return on;
}

} // namespace CapsLock
