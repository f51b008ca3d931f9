#include "ui/HotKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>

#include "app/Settings.h"
#include "ui/CommandIds.h"
#include "ui/DetectableAutoRepeat.h"
#include "ui/MainDialog.h"

#ifdef TYPIX_HAVE_XCB
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#endif

namespace typix {

namespace {

constexpr int32_t kHotKeyStep = 20000;  // 2 s in 1/10000 s

#ifdef TYPIX_HAVE_XCB
// Keysyms of the keys by id: F7..F12, then F5, F6.
constexpr xcb_keysym_t kKeysyms[HotKeys::kCount] = {0xffc4, 0xffc5, 0xffc6, 0xffc7,
                                                   0xffc8, 0xffc9, 0xffc2, 0xffc3};
// The grab is made with every combination of Caps Lock and Num Lock, so that
// the keys work whatever those locks are; other modifiers are not grabbed.
constexpr uint16_t kLockCombos[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                    XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}
#endif

}  // namespace

HotKeys::HotKeys(MainDialog& dialog) : QObject(&dialog), dialog_(dialog) {
    setObjectName(QStringLiteral("HotKeys"));
    clock_.start();
}

HotKeys::~HotKeys() { unregisterKeys(); }

bool HotKeys::hotKeysAvailable() {
#ifdef TYPIX_HAVE_XCB
    return x11Connection() != nullptr;
#else
    return false;
#endif
}

bool HotKeys::registerKeys() {
#ifdef TYPIX_HAVE_XCB
    xcb_connection_t* c = x11Connection();
    if (!c || registered_) return registered_;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    if (!symbols) return false;
    xcb_window_t root = rootWindow(c);
    for (int id = 0; id < kCount; ++id) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, kKeysyms[id]);
        for (xcb_keycode_t* code = codes; code && *code != XCB_NO_SYMBOL; ++code) {
            for (uint16_t mods : kLockCombos) {
                // Not owner events: a press in our own window comes as a hot key too.
                xcb_void_cookie_t cookie = xcb_grab_key_checked(
                    c, 0, root, mods, *code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
                // A key that another client holds is not available; no message.
                std::free(xcb_request_check(c, cookie));
            }
            grabs_.push_back({id, *code});
        }
        std::free(codes);
    }
    xcb_key_symbols_free(symbols);
    xcb_flush(c);
    repeats_ = KeyRepeat(detectableAutoRepeat());
    QCoreApplication::instance()->installNativeEventFilter(this);
    registered_ = true;
    return true;
#else
    return false;
#endif
}

void HotKeys::unregisterKeys() {
    if (!registered_) return;
    registered_ = false;
    QCoreApplication::instance()->removeNativeEventFilter(this);
#ifdef TYPIX_HAVE_XCB
    if (xcb_connection_t* c = x11Connection()) {
        xcb_window_t root = rootWindow(c);
        for (const Grab& g : grabs_)
            for (uint16_t mods : kLockCombos) xcb_ungrab_key(c, xcb_keycode_t(g.keycode), root, mods);
        xcb_flush(c);
    }
#endif
    grabs_.clear();
}

int HotKeys::idOfKeycode(unsigned keycode) const {
    auto it = std::find_if(grabs_.begin(), grabs_.end(),
                           [&](const Grab& g) { return g.keycode == keycode; });
    return it == grabs_.end() ? -1 : it->id;
}

bool HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#ifdef TYPIX_HAVE_XCB
    if (!registered_ || eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    xcb_connection_t* c = x11Connection();
    if (!c || key->event != rootWindow(c)) return false;
    int id = idOfKeycode(key->detail);
    if (id < 0) return false;
    int64_t now = clock_.elapsed();
    if (type == XCB_KEY_RELEASE) {
        repeats_.release(key->detail, now, false);
    } else {
        repeats_.expire(now);
        if (!repeats_.press(key->detail, now)) trigger(id);
    }
    return true;
#else
    (void)eventType;
    (void)message;
    return false;
#endif
}

void HotKeys::trigger(int id) {
    MainDialog& d = dialog_;
    QWidget* frame = d.window();
    switch (id) {
        case SeekBack: d.seek(std::max(d.position() - kHotKeyStep, 0)); break;
        case SeekAhead: d.seek(d.position() + kHotKeyStep); break;
        case PlayNormal: d.playAtSpeed(100); break;
        case PlaySlow: d.command(cmd::kPlaySlow); break;
        case PlayFast: d.command(cmd::kPlayFast); break;
        case Stop: d.stop(); break;
        case Restore:
            frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
            frame->show();
            frame->raise();
            frame->activateWindow();
            break;
        case Minimize: frame->showMinimized(); break;
        default: break;
    }
}

}  // namespace typix
