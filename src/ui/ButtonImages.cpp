#include "ui/ButtonImages.h"

#include "ui/UiResources.h"

namespace typix {

const char* ButtonImages::themeName(Button button) {
    switch (button) {
        case Button::Play: return "media-playback-start";
        case Button::Stop: return "media-playback-stop";
        case Button::Start: return "media-skip-backward";
        case Button::Rewind: return "media-seek-backward";
        case Button::FastForward: return "media-seek-forward";
        case Button::End: return "media-skip-forward";
        case Button::Dock: return "audio-input-microphone";
    }
    return "";
}

QIcon ButtonImages::load(const char* name, const char* fallback) {
    QIcon own(QStringLiteral(":/typix/icons/%1.svg").arg(QLatin1String(fallback)));
    return QIcon::fromTheme(QLatin1String(name), own);
}

ButtonImages::ButtonImages() {
    initUiResources();
    for (int i = 0; i < 7; ++i) {
        const char* name = themeName(Button(i));
        normal_[i] = load(name, name);
    }
    // The active colours are the program's own; a theme has no such variant.
    playActive_ = QIcon(QStringLiteral(":/typix/icons/media-playback-start-active.svg"));
    stopActive_ = QIcon(QStringLiteral(":/typix/icons/media-playback-stop-active.svg"));
}

QIcon ButtonImages::icon(Button button, State state) const {
    if (state == State::Playing && button == Button::Play) return playActive_;
    if (state == State::Playing && button == Button::Stop) return stopActive_;
    return normal_[int(button)];
}

}  // namespace typix
