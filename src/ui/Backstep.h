#pragma once
// Step back on resume: after stopping to type, the typist hears the last words
// again.  A start of playback from stopped begins "backstep" milliseconds
// before the stopped position (never before the start); a restart of running
// playback (a speed or channel change, the end of a scan) goes on exactly
// where it is.  Pure arithmetic; any thread.
#include <cstdint>

namespace typix {

enum class PlayStart {
    Resume,   // from stopped: Play, Return, the play pedal, hot keys, desktop commands
    Restart,  // playback was running or is picked up again after a scan
};

// Where playback from `position` (1/10000 s) starts.  A negative `backstepMs`
// counts as 0.
int32_t playStartPosition(int32_t position, int backstepMs, PlayStart how);

}  // namespace typix
