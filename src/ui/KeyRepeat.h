#pragma once
// Tells the first press and the last release of a held key from the repeats
// the keyboard produces while it is held.
//
// A repeat comes in one of three shapes: a second press without a release
// (X11 with detectable auto-repeat, most platforms), a release and press pair
// that the platform marks as repeated, or an unmarked release followed at
// once by a press of the same key (X11 without detectable auto-repeat, when
// the toolkit did not see the press in time).  For the last shape a release
// only becomes final when no press of the key follows within kRepeatGapMs;
// until then it is pending, and expire() hands it over once the gap is over.
//
// Keys are plain numbers chosen by the caller (toolkit key codes, X key
// codes); times are milliseconds of one steady clock.  No toolkit, no
// threads: the owner calls it from one thread.
#include <cstdint>
#include <optional>
#include <vector>

namespace typix {

class KeyRepeat {
public:
    // An auto-repeat release and its press come together; a person needs far
    // longer than this to let go of a key and press it again.
    static constexpr int64_t kRepeatGapMs = 50;

    enum class Release {
        Repeat,   // part of a hold: nothing to do
        Final,    // the key is up: run its release now
        Pending,  // may still be a repeat: expire() tells
    };

    struct FinalRelease {
        int key;
        int64_t timeMs;  // when the release arrived
    };

    // With `releasesAreFinal` (detectable auto-repeat in force) an unmarked
    // release is always the last one.
    explicit KeyRepeat(bool releasesAreFinal = false) : releasesAreFinal_(releasesAreFinal) {}
    void setReleasesAreFinal(bool on) { releasesAreFinal_ = on; }
    bool releasesAreFinal() const { return releasesAreFinal_; }

    // Whether a press of `key` at `now` repeats a hold.  Call expire(now)
    // first, so that a release older than the gap is handled before it.
    bool press(int key, int64_t nowMs);
    // `markedRepeat`: the platform says the release belongs to a repeat.
    Release release(int key, int64_t nowMs, bool markedRepeat);
    // The pending releases that became final by `now`, oldest first.  A
    // press of another key (`pressing`) ends every other pending release at
    // once: a repeat's press always follows its own release directly.
    // kNoKey: no press, only the gap counts; kFreshPress: a press that can
    // repeat nothing (its modifiers changed), which ends every pending release.
    static constexpr int kNoKey = -1;
    static constexpr int kFreshPress = -2;
    std::vector<FinalRelease> expire(int64_t nowMs, int pressing = kNoKey);
    // When the oldest pending release becomes final, if any is pending.
    std::optional<int64_t> nextExpiry() const;
    // Forgets every key (the focus went elsewhere, so releases may never
    // come) and returns those that were held or pending.
    std::vector<int> clear();

    bool held(int key) const;

private:
    struct Key {
        int key;
        bool down;
        int64_t releasedAt;  // while pending
    };
    Key* find(int key);

    bool releasesAreFinal_;
    std::vector<Key> keys_;  // held or pending keys; a typist holds few at once
};

}  // namespace typix
