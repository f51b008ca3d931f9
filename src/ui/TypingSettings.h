#pragma once
// The settings dialog's "Typing" group: how the typist resumes after stopping
// to type, "Step back on resume" (setting "backstep", 0 to 5000 ms in steps of
// 250), and the typing pad's font size ("padfontsize", "Default" for 0).
// The group reads its keys when made and writes them on save(), which the
// dialog calls on OK; Cancel writes nothing.  Controls carry their setting
// names as object names.  Interface thread only.
#include <QGroupBox>

class QSpinBox;

namespace typix {

class Settings;

class TypingSettings : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kMaxBackstepMs = 5000;
    static constexpr int kBackstepStepMs = 250;

    TypingSettings(Settings& settings, QWidget* parent);

    void save();

private:
    Settings& settings_;
    QSpinBox* backstep_;
    QSpinBox* padFontSize_;
};

}  // namespace typix
