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
        std::vector<std::string> names{forced ? std::string(forced) : std::string("Default")};
        for (const AlsaCard& card : alsaCards(direction)) names.push_back(card.name);
        return names;
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

std::string alsaPcmName(int index, StreamDirection direction) {
    if (const char* forced = overrideName(direction)) return forced;
    if (index >= 1) {
        const std::vector<AlsaCard> cards = alsaCards(direction);
        if (static_cast<size_t>(index) <= cards.size()) {
            return "plughw:" + std::to_string(cards[static_cast<size_t>(index) - 1].number);
        }
    }
    return "default";
}

std::string alsaControlName(int index, StreamDirection direction) {
    quietAlsa();
    if (index < 0) return {};
    if (index == 0) return "default";
    const std::vector<AlsaCard> cards = alsaCards(direction);
    if (static_cast<size_t>(index) > cards.size()) return {};
    return "hw:" + std::to_string(cards[static_cast<size_t>(index) - 1].number);
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

SoundDriver& soundDriver() {
    static AlsaDriver alsa;
    SoundDriver* installed = gInstalledDriver.load();
    return installed ? *installed : alsa;
}

SoundDriver* installSoundDriver(SoundDriver* driver) { return gInstalledDriver.exchange(driver); }

}  // namespace typix
