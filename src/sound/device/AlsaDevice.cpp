#include "sound/device/AlsaDevice.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace typix {

namespace {

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints its own errors on stderr (a missing card, an unknown PCM); ours
// go back to the caller as results, so its messages are switched off.
void quietAlsa() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(ignoreAlsaMessage); });
}

snd_pcm_stream_t alsaStream(StreamDirection direction) {
    return direction == StreamDirection::Output ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE;
}

const char* overrideName(StreamDirection direction) {
    const char* name = std::getenv(direction == StreamDirection::Output ? "TYPIX_OUTPUT_DEVICE"
                                                                        : "TYPIX_INPUT_DEVICE");
    return name && *name ? name : nullptr;
}

bool cardHasStream(snd_ctl_t* ctl, snd_pcm_stream_t stream) {
    snd_pcm_info_t* info = nullptr;
    snd_pcm_info_alloca(&info);
    int device = -1;
    while (snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
        snd_pcm_info_set_device(info, static_cast<unsigned>(device));
        snd_pcm_info_set_subdevice(info, 0);
        snd_pcm_info_set_stream(info, stream);
        if (snd_ctl_pcm_info(ctl, info) == 0) return true;
    }
    return false;
}

std::string describe(const char* what, int err) {
    return std::string(what) + ": " + snd_strerror(err);
}

bool setHardwareParams(snd_pcm_t* pcm, PcmFormat format, int32_t periodFrames,
                       int64_t* bufferFrames, std::string* error) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    int err = snd_pcm_hw_params_any(pcm, hw);
    if (err >= 0) err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (err >= 0) err = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16);
    if (err >= 0) err = snd_pcm_hw_params_set_channels(pcm, hw, static_cast<unsigned>(format.channels));
    if (err >= 0) err = snd_pcm_hw_params_set_rate(pcm, hw, static_cast<unsigned>(format.rate), 0);
    if (err < 0) {
        *error = describe("the device does not take this format", err);
        return false;
    }
    // About half a second of buffer in periods of about one block: room for
    // the feeding thread's 90 ms polls without ever running dry.
    unsigned bufferTime = 500000;
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, nullptr);
    snd_pcm_uframes_t period = static_cast<snd_pcm_uframes_t>(periodFrames);
    snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
    err = snd_pcm_hw_params(pcm, hw);
    if (err < 0) {
        *error = describe("cannot set the device's parameters", err);
        return false;
    }
    snd_pcm_uframes_t buffer = 0;
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    *bufferFrames = static_cast<int64_t>(buffer);
    return true;
}

class AlsaDriver : public SoundDriver {
public:
    std::vector<std::string> deviceNames(StreamDirection direction) override {
        const char* forced = overrideName(direction);
        std::vector<std::string> names;
        for (const AlsaPcmEntry& entry : alsaDeviceList(direction)) names.push_back(entry.description);
        if (forced) names[0] = forced;
        return names;
    }

    std::vector<std::string> deviceIds(StreamDirection direction) override {
        std::vector<std::string> ids;
        for (const AlsaPcmEntry& entry : alsaDeviceList(direction)) ids.push_back(entry.pcm);
        return ids;
    }

    std::unique_ptr<OutputStream> openOutput(int index, PcmFormat format,
                                             std::string* error) override {
        bool clockless = false;
        int64_t bufferFrames = 0;
        snd_pcm_t* pcm = openWithFallback(index, StreamDirection::Output, format,
                                          blockFramesOf(format), &clockless, &bufferFrames, error);
        if (!pcm) return nullptr;
        return makeAlsaOutput(pcm, format, clockless, bufferFrames);
    }

    std::unique_ptr<InputStream> openInput(int index, PcmFormat format, int32_t blockFrames,
                                           int blockCount, InputStream::FilledCallback filled,
                                           std::string* error) override {
        bool clockless = false;
        int64_t bufferFrames = 0;
        snd_pcm_t* pcm = openWithFallback(index, StreamDirection::Input, format, blockFrames,
                                          &clockless, &bufferFrames, error);
        if (!pcm) return nullptr;
        return makeAlsaInput(pcm, format, clockless, blockFrames, blockCount, std::move(filled));
    }

private:
    static int32_t blockFramesOf(PcmFormat format) {
        const int32_t frames = format.rate / 10;
        return frames < 20 ? 20 : (frames > 8192 ? 8192 : frames);
    }

    // Opens the device of `index`; when that fails, "default" (as a device
    // that cannot be opened by itself is tried again through the system's
    // default route).
    static snd_pcm_t* openWithFallback(int index, StreamDirection direction, PcmFormat format,
                                       int32_t periodFrames, bool* clockless,
                                       int64_t* bufferFrames, std::string* error) {
        std::string ignored;
        std::string& why = error ? *error : ignored;
        const std::string name = alsaPcmName(index, direction);
        snd_pcm_t* pcm = openAlsaPcm(name, direction, format, periodFrames, clockless,
                                     bufferFrames, &why);
        if (!pcm && name != "default" && !overrideName(direction)) {
            pcm = openAlsaPcm("default", direction, format, periodFrames, clockless,
                              bufferFrames, &why);
        }
        return pcm;
    }
};

}  // namespace

std::vector<AlsaCard> alsaCards(StreamDirection direction) {
    quietAlsa();
    std::vector<AlsaCard> cards;
    int number = -1;
    while (snd_card_next(&number) == 0 && number >= 0) {
        snd_ctl_t* ctl = nullptr;
        const std::string ctlName = "hw:" + std::to_string(number);
        if (snd_ctl_open(&ctl, ctlName.c_str(), 0) < 0) continue;
        const bool has = cardHasStream(ctl, alsaStream(direction));
        snd_ctl_close(ctl);
        if (!has) continue;
        char* name = nullptr;
        AlsaCard card{number, ctlName};
        if (snd_card_get_name(number, &name) == 0 && name) card.name = name;
        std::free(name);
        cards.push_back(std::move(card));
    }
    return cards;
}

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The desktop user's PCMs: the servers and each card's default and plug
// devices.  Raw "hw", "front", "dmix" and the converter plugins are left out.
bool isListedHint(const std::string& pcm) {
    return pcm == "pulse" || pcm == "pipewire" || startsWith(pcm, "sysdefault:") ||
           startsWith(pcm, "plughw:");
}

std::string hintValue(void* hint, const char* id) {
    char* value = snd_device_name_get_hint(hint, id);
    std::string text = value ? value : "";
    std::free(value);
    return text;
}

// "Line one\nLine two" of a hint as one line of text.
std::string oneLine(std::string description) {
    const size_t newline = description.find('\n');
    if (newline == std::string::npos) return description;
    std::string rest = description.substr(newline + 1);
    description.resize(newline);
    return rest.empty() ? description : description + " - " + rest;
}

std::vector<AlsaPcmEntry> hintedDevices(StreamDirection direction, std::string* defaultText) {
    std::vector<AlsaPcmEntry> entries;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints) return entries;
    const char* wanted = direction == StreamDirection::Output ? "Output" : "Input";
    for (void** hint = hints; *hint; ++hint) {
        const std::string pcm = hintValue(*hint, "NAME");
        const std::string io = hintValue(*hint, "IOID");
        if (!io.empty() && io != wanted) continue;
        const std::string description = oneLine(hintValue(*hint, "DESC"));
        if (pcm == "default") {
            if (!description.empty()) *defaultText = description;
        } else if (isListedHint(pcm)) {
            entries.push_back(AlsaPcmEntry{pcm, description.empty() ? pcm : description});
        }
    }
    snd_device_name_free_hint(hints);
    return entries;
}

}  // namespace

std::vector<AlsaPcmEntry> alsaDeviceList(StreamDirection direction) {
    quietAlsa();
    std::string defaultText = "Default";
    std::vector<AlsaPcmEntry> hinted = hintedDevices(direction, &defaultText);
    std::vector<AlsaPcmEntry> list{AlsaPcmEntry{"default", defaultText}};
    if (hinted.empty()) {
        for (const AlsaCard& card : alsaCards(direction)) {
            list.push_back(AlsaPcmEntry{"plughw:" + std::to_string(card.number), card.name});
        }
    }
    list.insert(list.end(), hinted.begin(), hinted.end());
    return list;
}

bool alsaIsCardPcm(const std::string& pcm) {
    return startsWith(pcm, "hw:") || startsWith(pcm, "plughw:");
}

std::string alsaCardControlOf(const std::string& pcm) {
    if (!alsaIsCardPcm(pcm)) return {};
    std::string args = pcm.substr(pcm.find(':') + 1);
    if (startsWith(args, "CARD=")) {
        const size_t comma = args.find(',');
        return "hw:" + args.substr(0, comma);
    }
    return "hw:" + args.substr(0, args.find(','));
}

std::string alsaPcmName(int index, StreamDirection direction) {
    if (const char* forced = overrideName(direction)) return forced;
    if (index >= 1) {
        const std::vector<AlsaPcmEntry> list = alsaDeviceList(direction);
        if (static_cast<size_t>(index) < list.size()) return list[static_cast<size_t>(index)].pcm;
    }
    return "default";
}

std::string alsaControlName(int index, StreamDirection direction) {
    quietAlsa();
    if (index < 0) return {};
    const std::string pcm = alsaPcmName(index, direction);
    return alsaIsCardPcm(pcm) ? alsaCardControlOf(pcm) : std::string("default");
}

double alsaClockFactor() {
    const char* text = std::getenv("TYPIX_DEVICE_CLOCK");
    const double factor = text ? std::atof(text) : 1.0;
    return factor >= 1.0 ? factor : 1.0;
}

snd_pcm_t* openAlsaPcm(const std::string& name, StreamDirection direction, PcmFormat format,
                       int32_t periodFrames, bool* clockless, int64_t* bufferFrames,
                       std::string* error) {
    quietAlsa();
    snd_pcm_t* pcm = nullptr;
    int err = snd_pcm_open(&pcm, name.c_str(), alsaStream(direction), SND_PCM_NONBLOCK);
    if (err < 0) {
        *error = describe(("cannot open \"" + name + "\"").c_str(), err);
        return nullptr;
    }
    if (!setHardwareParams(pcm, format, periodFrames, bufferFrames, error)) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    const snd_pcm_type_t type = snd_pcm_type(pcm);
    *clockless = type == SND_PCM_TYPE_NULL || type == SND_PCM_TYPE_FILE;
    return pcm;
}

namespace {
std::atomic<SoundDriver*> gInstalledDriver{nullptr};
}  // namespace

int resolveDevice(int index, const std::string& id, StreamDirection direction) {
    if (id.empty()) return index;
    const std::vector<std::string> ids = soundDriver().deviceIds(direction);
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) return static_cast<int>(i);
    }
    return index;
}

std::string deviceIdOf(int index, StreamDirection direction) {
    const std::vector<std::string> ids = soundDriver().deviceIds(direction);
    if (index < 0) index = 0;
    return static_cast<size_t>(index) < ids.size() ? ids[static_cast<size_t>(index)] : std::string();
}

SoundDriver& soundDriver() {
    static AlsaDriver alsa;
    SoundDriver* installed = gInstalledDriver.load();
    return installed ? *installed : alsa;
}

SoundDriver* installSoundDriver(SoundDriver* driver) { return gInstalledDriver.exchange(driver); }

}  // namespace typix
