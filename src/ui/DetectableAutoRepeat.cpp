#include "ui/DetectableAutoRepeat.h"

#include <QGuiApplication>

#include <cstdlib>

#ifdef TYPIX_HAVE_XCB_XKB
#include <xcb/xcb.h>
// The XKB header names a structure member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#endif

namespace typix {

namespace {

#ifdef TYPIX_HAVE_XCB_XKB
bool enableOn(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xkb_id);
    if (!ext || !ext->present) return false;
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    bool supported = use && use->supported;
    std::free(use);
    if (!supported) return false;
    // Only the auto-repeat flag changes; the toolkit's other per-client flags stay.
    constexpr uint32_t kFlag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t* flags = xcb_xkb_per_client_flags_reply(
        c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, kFlag, kFlag, 0, 0, 0), nullptr);
    bool on = flags && (flags->supported & kFlag) && (flags->value & kFlag);
    std::free(flags);
    return on;
}
#endif

bool enable() {
#ifdef TYPIX_HAVE_XCB_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && x11->connection() && enableOn(x11->connection());
#else
    return false;
#endif
}

}  // namespace

bool detectableAutoRepeat() {
    static const bool on = enable();
    return on;
}

}  // namespace typix
