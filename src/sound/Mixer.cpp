#include "sound/Mixer.h"

#include <alsa/asoundlib.h>

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
bool isCaptureMaster(const std::string& name) { return name == "Capture"; }

MixerElementInfo describe(snd_mixer_elem_t* e) {
    MixerElementInfo info;
    info.name = nameOf(e);
    info.enumerated = snd_mixer_selem_is_enumerated(e) != 0;
    info.enumeratedCapture = info.enumerated && snd_mixer_selem_is_enum_capture(e);
    info.captureVolume = snd_mixer_selem_has_capture_volume(e) != 0;
    info.captureSwitch = snd_mixer_selem_has_capture_switch(e) != 0;
    if (info.enumeratedCapture) {
        const int items = snd_mixer_selem_get_enum_items(e);
        for (int i = 0; i < items; ++i) {
            char text[64] = {};
            snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(i), sizeof text, text);
            info.items.emplace_back(text);
        }
    }
    return info;
}

// A card's elements with their descriptions, in the mixer's order.
struct CardElements {
    std::vector<snd_mixer_elem_t*> handles;
    std::vector<MixerElementInfo> infos;
};

CardElements cardElements(const SimpleMixer& mixer) {
    CardElements card;
    card.handles = mixer.elements();
    for (snd_mixer_elem_t* e : card.handles) card.infos.push_back(describe(e));
    return card;
}

std::string cardControl(int device, StreamDirection direction) {
    return mixerIsCardDevice(device, direction) ? alsaControlName(device, direction) : std::string();
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

void selectItem(snd_mixer_elem_t* selector, unsigned item) {
    for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        snd_mixer_selem_set_enum_item(selector, static_cast<snd_mixer_selem_channel_id_t>(ch), item);
    }
}

// Selects `wanted` (by name, else item `fallback`) on an enumerated capture
// control that is not the card's source list itself.
void selectItemNamed(snd_mixer_elem_t* selector, const MixerElementInfo& info,
                     const std::string& wanted, int fallback) {
    int chosen = fallback < static_cast<int>(info.items.size()) ? fallback : -1;
    for (size_t i = 0; i < info.items.size(); ++i) {
        if (info.items[i] == wanted) {
            chosen = static_cast<int>(i);
            break;
        }
    }
    if (chosen >= 0) selectItem(selector, static_cast<unsigned>(chosen));
}

}  // namespace

bool mixerIsCardDevice(int index, StreamDirection direction) {
    if (index < 0) return false;
    return alsaIsCardPcm(alsaPcmName(index, direction));
}

MixerRecordSources mixerRecordSources(const std::vector<MixerElementInfo>& elements) {
    MixerRecordSources sources;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (!elements[i].enumeratedCapture || elements[i].items.empty()) continue;
        sources.selector = static_cast<int>(i);
        for (const std::string& item : elements[i].items) {
            if (sources.names.size() < 127) sources.names.push_back(item);
        }
        return sources;
    }
    for (size_t i = 0; i < elements.size(); ++i) {
        const MixerElementInfo& e = elements[i];
        if (isCaptureMaster(e.name) || e.enumerated || !(e.captureVolume || e.captureSwitch)) continue;
        if (sources.names.size() >= 127) break;
        sources.names.push_back(e.name);
        sources.elements.push_back(static_cast<int>(i));
    }
    return sources;
}

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
    SimpleMixer mixer(cardControl(inputDevice, StreamDirection::Input));
    return static_cast<int>(mixerRecordSources(cardElements(mixer).infos).names.size());
}

std::string mixerRecordSourceName(int inputDevice, int source) {
    if (source < 0) return "System Record Mixer";
    if (inputDevice < 0) return "<MIXER INVALID>";
    SimpleMixer mixer(cardControl(inputDevice, StreamDirection::Input));
    const MixerRecordSources sources = mixerRecordSources(cardElements(mixer).infos);
    if (static_cast<size_t>(source) >= sources.names.size()) return "<MIXER INVALID>";
    return sources.names[static_cast<size_t>(source)].substr(0, 31);
}

void mixerSetRecordingInput(int inputDevice, int source, int levelDb) {
    if (inputDevice < 0 || source < 0) return;
    SimpleMixer mixer(cardControl(inputDevice, StreamDirection::Input));
    if (!mixer) return;
    const uint16_t value = mixerLevelValue(levelDb);
    const CardElements card = cardElements(mixer);
    const MixerRecordSources sources = mixerRecordSources(card.infos);
    const size_t chosen = static_cast<size_t>(source);
    const std::string chosenName = chosen < sources.names.size() ? sources.names[chosen] : "";
    for (size_t i = 0; i < card.handles.size(); ++i) {
        const MixerElementInfo& info = card.infos[i];
        if (isCaptureMaster(info.name)) setCapture(card.handles[i], value, true);
        if (static_cast<int>(i) == sources.selector) {
            if (chosen < sources.names.size()) selectItem(card.handles[i], static_cast<unsigned>(chosen));
        } else if (info.enumeratedCapture) {
            selectItemNamed(card.handles[i], info, chosenName, source);
        }
    }
    for (size_t k = 0; k < sources.elements.size(); ++k) {
        const bool isChosen = k == chosen;
        setCapture(card.handles[static_cast<size_t>(sources.elements[k])], isChosen ? value : 0, isChosen);
    }
}

void mixerSetPlaybackVolume(int outputDevice, int levelDb) {
    if (outputDevice < 0) return;
    SimpleMixer mixer(cardControl(outputDevice, StreamDirection::Output));
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
