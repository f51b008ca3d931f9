#pragma once
// The images of the transport and dock buttons in the three states of the
// main window.  Each image comes from the desktop's icon theme
// (media-playback-start and friends) and falls back to the program's own
// drawings when the theme lacks it.  While playing, the Play button is held
// down and Play and Stop show their active colours.
#include <QIcon>

namespace typix {

class ButtonImages {
public:
    enum class State { NoDictation, Loaded, Playing };
    enum class Button { Play, Stop, Start, Rewind, FastForward, End, Dock };

    ButtonImages();
    QIcon icon(Button button, State state) const;
    // The freedesktop icon name a button uses.
    static const char* themeName(Button button);

private:
    static QIcon load(const char* name, const char* fallback);
    QIcon normal_[7];
    QIcon playActive_;
    QIcon stopActive_;
};

}  // namespace typix
