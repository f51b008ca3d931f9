#include "sound/Mixer.h"

#include <alsa/asoundlib.h>

#include <vector>

#include "sound/device/AlsaDevice.h"

namespace typix {

namespace {

// An open simple mixer on one card; empty when any step of opening failed.
class SimpleMixer {
public:
    explicit SimpleMixer(const std::string& control) {
        if (control.empty() || snd_mixer_open(&mixer_, 0) < 0) {
            mixer_ = nullptr;
            return;
        }
        if (snd_mixer_attach(mixer_, control.c_str()) < 0 ||
            snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0) {
            snd_mixer_close(mixer_);
            mixer_ = nullptr;
        }
    }
    ~SimpleMixer() {
        if (mixer_) snd_mixer_close(mixer_);
    }
    SimpleMixer(const SimpleMixer&) = delete;
    SimpleMixer& operator=(const SimpleMixer&) = delete;

    explicit operator bool() const { return mixer_ != nullptr; }

    std::vector<snd_mixer_elem_t*> elements() const {
        std::vector<snd_mixer_elem_t*> all;
        if (!mixer_) return all;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e)) all.push_back(e);
        }
        return all;
    }

private:
    snd_mixer_t* mixer_ = nullptr;
};

std::string nameOf(snd_mixer_elem_t* e) {
    const char* name = snd_mixer_selem_get_name(e);
    return name ? name : "";
}

// The card's master capture control plays the part of the recording
// destination line; it is not a source of its own.
bool isCaptureMaster(snd_mixer_elem_t* e) { return nameOf(e) == "Capture"; }

// An enumerated capture control picks one input (a multiplexer).
bool isCaptureSelector(snd_mixer_elem_t* e) {
    return snd_mixer_selem_is_enumerated(e) && snd_mixer_selem_is_enum_capture(e);
}

bool isRecordSource(snd_mixer_elem_t* e) {
    return !isCaptureMaster(e) && !snd_mixer_selem_is_enumerated(e) &&
           (snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e));
}

std::vector<snd_mixer_elem_t*> recordSources(const SimpleMixer& mixer) {
    std::vector<snd_mixer_elem_t*> sources;
    for (snd_mixer_elem_t* e : mixer.elements()) {
        if (isRecordSource(e) && sources.size() < 127) sources.push_back(e);
    }
    return sources;
}

void setCapture(snd_mixer_elem_t* e, uint16_t value, bool on) {
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_has_capture_volume(e) &&
        snd_mixer_selem_get_capture_volume_range(e, &min, &max) == 0) {
        snd_mixer_selem_set_capture_volume_all(e, mixerControlValue(value, min, max));
    }
    if (snd_mixer_selem_has_capture_switch(e)) snd_mixer_selem_set_capture_switch_all(e, on ? 1 : 0);
}

void selectItem(snd_mixer_elem_t* selector, const std::string& wanted, int fallback) {
    const int items = snd_mixer_selem_get_enum_items(selector);
    int chosen = fallback < items ? fallback : -1;
    for (int i = 0; i < items; ++i) {
        char text[64] = {};
        if (snd_mixer_selem_get_enum_item_name(selector, static_cast<unsigned>(i), sizeof text, text) == 0 &&
            wanted == text) {
            chosen = i;
            break;
        }
    }
    if (chosen < 0) return;
    for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        snd_mixer_selem_set_enum_item(selector, static_cast<snd_mixer_selem_channel_id_t>(ch),
                                      static_cast<unsigned>(chosen));
    }
}

}  // namespace

uint16_t mixerLevelValue(int levelDb) {
    if (levelDb < -35) return 0;
    const int value = levelDb * 1424 + 51264;
    return static_cast<uint16_t>(value > 65535 ? 65535 : value);
}

long mixerControlValue(uint16_t value, long min, long max) {
    return min + static_cast<long>(static_cast<long long>(value) * (static_cast<long long>(max) - min) / 65535);
}

int mixerRecordSourceCount(int inputDevice) {
    if (inputDevice < 0) return 0;
    SimpleMixer mixer(alsaControlName(inputDevice, StreamDirection::Input));
    return static_cast<int>(recordSources(mixer).size());
}

std::string mixerRecordSourceName(int inputDevice, int source) {
    if (source < 0) return "System Record Mixer";
    if (inputDevice < 0) return "<MIXER INVALID>";
    SimpleMixer mixer(alsaControlName(inputDevice, StreamDirection::Input));
    const std::vector<snd_mixer_elem_t*> sources = recordSources(mixer);
    if (static_cast<size_t>(source) >= sources.size()) return "<MIXER INVALID>";
    return nameOf(sources[static_cast<size_t>(source)]).substr(0, 31);
}

void mixerSetRecordingInput(int inputDevice, int source, int levelDb) {
    if (inputDevice < 0 || source < 0) return;
    SimpleMixer mixer(alsaControlName(inputDevice, StreamDirection::Input));
    if (!mixer) return;
    const uint16_t value = mixerLevelValue(levelDb);
    const std::vector<snd_mixer_elem_t*> sources = recordSources(mixer);
    const std::string chosenName =
        static_cast<size_t>(source) < sources.size() ? nameOf(sources[static_cast<size_t>(source)]) : "";
    for (snd_mixer_elem_t* e : mixer.elements()) {
        if (isCaptureMaster(e)) setCapture(e, value, true);
        if (isCaptureSelector(e)) selectItem(e, chosenName, source);
    }
    for (size_t i = 0; i < sources.size(); ++i) {
        const bool chosen = i == static_cast<size_t>(source);
        setCapture(sources[i], chosen ? value : 0, chosen);
    }
}

void mixerSetPlaybackVolume(int outputDevice, int levelDb) {
    if (outputDevice < 0) return;
    SimpleMixer mixer(alsaControlName(outputDevice, StreamDirection::Output));
    const uint16_t value = mixerLevelValue(levelDb);
    for (snd_mixer_elem_t* e : mixer.elements()) {
        const std::string name = nameOf(e);
        if (name != "Master" && name != "PCM") continue;
        long min = 0;
        long max = 0;
        if (snd_mixer_selem_has_playback_volume(e) &&
            snd_mixer_selem_get_playback_volume_range(e, &min, &max) == 0) {
            snd_mixer_selem_set_playback_volume_all(e, mixerControlValue(value, min, max));
        }
        if (snd_mixer_selem_has_playback_switch(e)) snd_mixer_selem_set_playback_switch_all(e, 1);
    }
}

}  // namespace typix
