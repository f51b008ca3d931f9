#pragma once
// Mixer control: the sound card's own volumes rather than scaled samples.
// Four free functions over the ALSA simple mixer of a device's card.  They
// keep no state, leave nothing open, and ignore every mixer error: a step that
// fails ends that function's work silently, steps already done stay done.
// Any thread; not meant to run concurrently with itself for one card.
//
// Devices are the sound device indexes of SoundDevice.h (0 = the default
// card); a negative device makes every function do nothing.  Record sources
// are the capture elements of the input device's card, by position; a
// negative source means "leave the recording mixer unchanged".
#include <cstdint>
#include <string>

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

// A level in whole decibels as a 16-bit mixer value: 0 below -35 dB, else
// d * 1424 + 51264, at most 65535 (0 dB = 51264, +10 dB = 65504).
uint16_t mixerLevelValue(int levelDb);

// A 16-bit mixer value scaled onto a control's own range:
// min + value * (max - min) / 65535.
long mixerControlValue(uint16_t value, long min, long max);

}  // namespace typix
