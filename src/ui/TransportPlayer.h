#pragma once
// What the transport of the main window needs of a sound player: play a chain
// from its current position, stop, seek within it, report where it is, set the
// output device and its volume.  Notifications come back on the interface
// thread through a Listener: started, stopped, position (1/10000 s) and level
// records (one count byte, then one signed decibel level per channel).
//
// The program's implementation plays through LSoundPlayer and applies the
// volume through the mixer; tests may use a clocked player of their own that
// honours the same contract.  Interface thread only.
#include <cstdint>
#include <memory>

#include "sound/LSoundSource.h"

namespace typix {

class Settings;

class TransportPlayer {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void onStarted() = 0;
        virtual void onStopped() = 0;
        virtual void onPosition(int32_t time) = 0;
        virtual void onLevels(const uint8_t* levelRecord) = 0;
    };

    virtual ~TransportPlayer() = default;

    // Null detaches; `levelsWanted` false stops level reports.
    virtual void setListener(Listener* listener, bool levelsWanted) = 0;
    // The output device index of the next play (-1 = the system default).
    virtual void setDevice(int device) = 0;
    // Applies a decibel level (-127 = off) at once: the card's playback
    // volume for a card opened directly, else the program's own volume.
    virtual void applyVolume(int level) = 0;
    // Stops anything playing, then plays `chain` from its current position.
    // False when it could not start; the player is then stopped.
    virtual bool play(LSoundSource chain) = 0;
    // Stops; onStopped follows when something was playing.
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // The chain being played (empty when stopped).
    virtual LSoundSource source() const = 0;
    // The frame of the source that has been played.
    virtual int32_t position() const = 0;
    // Moves playback within the current source.
    virtual void setPosition(int32_t frame) = 0;
};

// The program's player over the sound device.
std::unique_ptr<TransportPlayer> makeDevicePlayer();

// The output device the settings choose: the one stored by name when it is
// still listed, else the stored index.
int storedOutputDevice(const Settings& settings);

}  // namespace typix
