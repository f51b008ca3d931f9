#include "ui/KeyRepeat.h"

#include <algorithm>

namespace typix {

KeyRepeat::Key* KeyRepeat::find(int key) {
    auto it = std::find_if(keys_.begin(), keys_.end(), [&](const Key& k) { return k.key == key; });
    return it == keys_.end() ? nullptr : &*it;
}

bool KeyRepeat::held(int key) const {
    return std::any_of(keys_.begin(), keys_.end(),
                       [&](const Key& k) { return k.key == key && k.down; });
}

bool KeyRepeat::press(int key, int64_t now) {
    Key* k = find(key);
    if (!k) {
        keys_.push_back({key, true, 0});
        return false;
    }
    bool repeat = k->down || now - k->releasedAt <= kRepeatGapMs;
    k->down = true;
    return repeat;
}

KeyRepeat::Release KeyRepeat::release(int key, int64_t now, bool markedRepeat) {
    // A marked release is followed by its press; the key stays held.
    if (markedRepeat) return Release::Repeat;
    Key* k = find(key);
    if (releasesAreFinal_) {
        if (k) keys_.erase(keys_.begin() + (k - keys_.data()));
        return Release::Final;
    }
    if (!k) {
        keys_.push_back({key, false, now});
    } else {
        k->down = false;
        k->releasedAt = now;
    }
    return Release::Pending;
}

std::vector<KeyRepeat::FinalRelease> KeyRepeat::expire(int64_t now, int pressing) {
    auto over = [&](const Key& k) {
        if (k.down) return false;
        bool gapOver = now - k.releasedAt > kRepeatGapMs;
        bool otherKeyPressed = pressing != kNoKey && k.key != pressing;
        return gapOver || otherKeyPressed;
    };
    std::vector<FinalRelease> done;
    for (const Key& k : keys_)
        if (over(k)) done.push_back({k.key, k.releasedAt});
    std::erase_if(keys_, over);
    std::sort(done.begin(), done.end(),
              [](const FinalRelease& a, const FinalRelease& b) { return a.timeMs < b.timeMs; });
    return done;
}

std::optional<int64_t> KeyRepeat::nextExpiry() const {
    std::optional<int64_t> next;
    for (const Key& k : keys_)
        if (!k.down && (!next || k.releasedAt + kRepeatGapMs + 1 < *next))
            next = k.releasedAt + kRepeatGapMs + 1;
    return next;
}

std::vector<int> KeyRepeat::clear() {
    std::vector<int> keys;
    for (const Key& k : keys_) keys.push_back(k.key);
    keys_.clear();
    return keys;
}

}  // namespace typix
