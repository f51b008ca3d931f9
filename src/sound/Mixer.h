#pragma once
// Mixer control: the sound card's own volumes rather than scaled samples.
// Four free functions over the ALSA simple mixer of a device's card.  They
// keep no state, leave nothing open, and ignore every mixer error: a step that
// fails ends that function's work silently, steps already done stay done.
// Any thread; not meant to run concurrently with itself for one card.
//
// Devices are the sound device indexes of SoundDevice.h; a negative device
// makes every function do nothing, and so does a device that is not a card
// opened directly ("hw:", "plughw:").  Behind a sound server (ALSA's default,
// "pulse", "pipewire", any PCM named by the environment) the card's mixer is
// the desktop's master volume, which belongs to every program: there the
// program scales its own samples (ProgramVolume.h) and these functions leave
// the mixer alone.
//
// Record sources are, by position, the items of the card's enumerated
// capture-source control ("Input Source", "Capture Source") when it has one,
// else its capture elements other than the master "Capture"; a negative
// source means "leave the recording mixer unchanged".
#include <cstdint>
#include <string>
#include <vector>

#include "sound/device/SoundDevice.h"

namespace typix {

// Number of record sources of the input device's card (at most 127); 0 when
// the device is negative or has no mixer.
int mixerRecordSourceCount(int inputDevice);

// Name of record source `source` (at most 31 characters): "System Record
// Mixer" for a negative source, "<MIXER INVALID>" when the mixer or the
// source is not found.
std::string mixerRecordSourceName(int inputDevice, int source);

// Selects record source `source` for capture at `levelDb` and silences the
// others (capture switch off, capture volume at its minimum).  Does nothing
// when either index is negative.
void mixerSetRecordingInput(int inputDevice, int source, int levelDb);

// Sets the Master and PCM playback volumes of the output device's card to
// `levelDb` and unmutes them.  Does nothing for a negative device.
void mixerSetPlaybackVolume(int outputDevice, int levelDb);

// True when device `index` is a card opened directly, whose simple mixer the
// functions above set; false for everything that may sit behind a server.
bool mixerIsCardDevice(int index, StreamDirection direction);

// One simple-mixer element as the record-source choice sees it.
struct MixerElementInfo {
    std::string name;
    bool enumeratedCapture = false;  // an enumerated control that picks the capture input
    bool enumerated = false;
    bool captureVolume = false;
    bool captureSwitch = false;
    std::vector<std::string> items;  // item names of an enumerated control
};

// The record sources of a card's elements: the items of its first
// enumerated capture control when there is one (`selector` = that
// element's position), else the plain capture elements (`elements` = their
// positions).  At most 127 names.
struct MixerRecordSources {
    std::vector<std::string> names;
    int selector = -1;
    std::vector<int> elements;
};
MixerRecordSources mixerRecordSources(const std::vector<MixerElementInfo>& elements);

// A level in whole decibels as a 16-bit mixer value: 0 below -35 dB, else
// d * 1424 + 51264, at most 65535 (0 dB = 51264, +10 dB = 65504).
uint16_t mixerLevelValue(int levelDb);

// A 16-bit mixer value scaled onto a control's own range:
// min + value * (max - min) / 65535.
long mixerControlValue(uint16_t value, long min, long max);

}  // namespace typix
