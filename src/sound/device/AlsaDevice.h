#pragma once
// The ALSA sound driver.
//
// Device list (the same shape for output and input): index 0 is ALSA's
// "default" PCM, then the PCMs that ALSA's configuration names for the
// desktop user (its name hints): the sound servers ("pulse", "pipewire")
// and each card's "sysdefault" and "plughw", in ALSA's order, each shown
// with its description.  When ALSA names no hints, each card with a PCM of
// that direction is listed as "plughw:N".  -1 means "default".  A device's
// id is its PCM name, so a choice stored by id survives cards coming and
// going.  The environment variables TYPIX_OUTPUT_DEVICE and
// TYPIX_INPUT_DEVICE name any ALSA PCM ("null", "file:'/tmp/out.raw',raw", a
// PCM defined in the ALSA configuration) and override the index; an index
// that does not open falls back to "default".
//
// PCMs without a clock of their own (ALSA's null and file plugins accept and
// deliver any amount at once) are paced by an ideal clock instead, so that
// they behave like a real device with a buffer of about half a second.
// TYPIX_DEVICE_CLOCK (a factor, default 1) runs that clock faster than real
// time, for tests and benchmarks.
#include <string>
#include <vector>

#include "sound/device/SoundDevice.h"

struct _snd_pcm;

namespace typix {

// One listed sound card.
struct AlsaCard {
    int number = 0;     // ALSA card number (N in "hw:N")
    std::string name;   // the card's name
};

// Cards that have a PCM of the given direction, in ALSA's order.
std::vector<AlsaCard> alsaCards(StreamDirection direction);

// One listed device: the PCM it opens and the text a person sees.
struct AlsaPcmEntry {
    std::string pcm;
    std::string description;
};

// The device list described above, index 0 first (override not applied).
std::vector<AlsaPcmEntry> alsaDeviceList(StreamDirection direction);

// True for a PCM that opens a card directly ("hw:...", "plughw:..."), with
// nothing between the program and the card.
bool alsaIsCardPcm(const std::string& pcm);

// "hw:<card>" of a card PCM name ("plughw:CARD=PCH,DEV=0" -> "hw:CARD=PCH",
// "plughw:1,0" -> "hw:1"); empty for any other PCM.
std::string alsaCardControlOf(const std::string& pcm);

// The ALSA PCM name that device `index` opens (override included).
std::string alsaPcmName(int index, StreamDirection direction);

// The ALSA control device ("default", "hw:N") of device `index`, or an empty
// text when the index is negative or names no card.
std::string alsaControlName(int index, StreamDirection direction);

// Factor by which clockless PCMs run faster than real time (>= 1).
double alsaClockFactor();

// Opens `name` for 16-bit interleaved access in `format`, with a buffer of
// about 500 ms in periods of about `periodFrames`.  Null on failure (`error`
// says why).  `clockless` tells whether the PCM needs the ideal clock.
_snd_pcm* openAlsaPcm(const std::string& name, StreamDirection direction, PcmFormat format,
                      int32_t periodFrames, bool* clockless, int64_t* bufferFrames,
                      std::string* error);

std::unique_ptr<OutputStream> makeAlsaOutput(_snd_pcm* pcm, PcmFormat format, bool clockless,
                                             int64_t bufferFrames);
std::unique_ptr<InputStream> makeAlsaInput(_snd_pcm* pcm, PcmFormat format, bool clockless,
                                           int32_t blockFrames, int blockCount,
                                           InputStream::FilledCallback filled);

}  // namespace typix
