#include "pedal/EvdevDevice.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace typix {

namespace {

template <size_t N>
bool readBits(int fd, unsigned long request, std::bitset<N>& bits) {
    unsigned char raw[(N + 7) / 8] = {};
    if (::ioctl(fd, request, raw) < 0) return false;
    for (size_t i = 0; i < N; ++i)
        if (raw[i / 8] & (1u << (i % 8))) bits.set(i);
    return true;
}

// Button codes that stand for buttons 1, 2 and 3 of a pedal: joystick
// (BTN_TRIGGER...), gamepad (BTN_SOUTH...) and plain (BTN_0...) numbering.
int buttonIndex(uint16_t code) {
    if (code >= BTN_0 && code <= BTN_0 + 2) return code - BTN_0;
    if (code >= BTN_JOYSTICK && code <= BTN_JOYSTICK + 2) return code - BTN_JOYSTICK;
    if (code >= BTN_GAMEPAD && code <= BTN_GAMEPAD + 2) return code - BTN_GAMEPAD;
    return -1;
}

}  // namespace

std::vector<std::string> inputEventPaths(const std::string& folder) {
    std::vector<std::pair<long, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("event", 0) != 0 || name.size() == 5) continue;
        char* end = nullptr;
        long number = std::strtol(name.c_str() + 5, &end, 10);
        if (*end == '\0') found.emplace_back(number, entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [number, path] : found) paths.push_back(std::move(path));
    return paths;
}

bool readEvdevInfo(int fd, EvdevInfo& info) {
    input_id id{};
    if (::ioctl(fd, EVIOCGID, &id) < 0) return false;
    info.vendor = id.vendor;
    info.product = id.product;
    info.keys.reset();
    info.axes.reset();
    readBits(fd, EVIOCGBIT(EV_KEY, kEvdevKeyCount / 8), info.keys);
    readBits(fd, EVIOCGBIT(EV_ABS, kEvdevAbsCount / 8), info.axes);
    std::bitset<INPUT_PROP_CNT> props;
    readBits(fd, EVIOCGPROP(INPUT_PROP_CNT / 8), props);
    info.accelerometer = props.test(INPUT_PROP_ACCELEROMETER);
    return true;
}

bool isJoystick(const EvdevInfo& info) {
    for (size_t code = BTN_JOYSTICK; code < BTN_DIGI; ++code)
        if (info.keys.test(code)) return true;
    bool axes = info.axes.test(ABS_X) || info.axes.test(ABS_Y) || info.axes.test(ABS_RZ);
    bool pointer = info.keys.test(BTN_TOUCH) || info.keys.test(BTN_TOOL_PEN) ||
                   info.keys.test(BTN_TOOL_FINGER) || info.keys.test(BTN_LEFT) ||
                   info.axes.test(ABS_MT_POSITION_X);
    return axes && !pointer && !info.accelerometer;
}

bool isKnownUsbPedal(uint16_t vendor, uint16_t product) {
    struct Id { uint16_t vendor, product; };
    // VEC/Infinity IN-USB-1 and IN-USB-2 and the pedals built on them.
    static constexpr Id kKnown[] = {{0x05f3, 0x00ff}};
    return std::any_of(std::begin(kKnown), std::end(kKnown), [&](const Id& id) {
        return id.vendor == vendor && id.product == product;
    });
}

bool hasThreePedalButtons(const EvdevInfo& info) {
    return info.keys.test(BTN_0) && info.keys.test(BTN_1) && info.keys.test(BTN_2);
}

void applyInputEvent(PedalPosition& p, uint16_t type, uint16_t code, int32_t value) {
    if (type == EV_ABS) {
        if (code == ABS_X) p.x = value;
        if (code == ABS_Y) p.y = value;
        if (code == ABS_RZ) p.r = value;
    } else if (type == EV_KEY) {
        int index = buttonIndex(code);
        if (index < 0) return;
        uint32_t bit = 1u << index;
        p.buttons = value != 0 ? (p.buttons | bit) : (p.buttons & ~bit);
    }
}

EvdevDevice::~EvdevDevice() { close(); }

bool EvdevDevice::openPath(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    info_ = EvdevInfo{};
    info_.path = path;
    if (!readEvdevInfo(fd_, info_)) {
        close();
        return false;
    }
    return true;
}

void EvdevDevice::close() {
    if (fd_ < 0) return;
    if (grabbed_) grab(false);
    ::close(fd_);
    fd_ = -1;
}

bool EvdevDevice::grab(bool on) {
    if (fd_ < 0) return false;
    bool ok = ::ioctl(fd_, EVIOCGRAB, on ? 1 : 0) == 0;
    if (ok) grabbed_ = on;
    return ok;
}

bool EvdevDevice::axisLimits(uint16_t code, AxisLimits& limits) const {
    limits = {};
    if (fd_ < 0) return false;
    if (!info_.axes.test(code)) return true;
    input_absinfo abs{};
    if (::ioctl(fd_, EVIOCGABS(code), &abs) < 0) return false;
    limits = {abs.minimum, abs.maximum};
    return true;
}

bool EvdevDevice::axisValue(uint16_t code, int32_t& value) const {
    value = 0;
    if (fd_ < 0) return false;
    if (!info_.axes.test(code)) return true;
    input_absinfo abs{};
    if (::ioctl(fd_, EVIOCGABS(code), &abs) < 0) return false;
    value = abs.value;
    return true;
}

bool EvdevDevice::keyState(std::bitset<kEvdevKeyCount>& keys) const {
    keys.reset();
    return fd_ >= 0 && readBits(fd_, EVIOCGKEY(kEvdevKeyCount / 8), keys);
}

bool EvdevDevice::drain() {
    if (fd_ < 0) return false;
    input_event events[32];
    for (;;) {
        ssize_t got = ::read(fd_, events, sizeof events);
        if (got > 0) continue;
        return got < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

}  // namespace typix
