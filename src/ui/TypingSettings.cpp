#include "ui/TypingSettings.h"

#include <QFormLayout>
#include <QSpinBox>

#include <algorithm>

#include "app/Settings.h"
#include "ui/PadFont.h"

namespace typix {

TypingSettings::TypingSettings(Settings& settings, QWidget* parent)
    : QGroupBox(tr("&Typing"), parent), settings_(settings) {
    auto* form = new QFormLayout(this);
    backstep_ = new QSpinBox(this);
    backstep_->setObjectName(QStringLiteral("backstep"));
    backstep_->setRange(0, kMaxBackstepMs);
    backstep_->setSingleStep(kBackstepStepMs);
    backstep_->setSuffix(QStringLiteral(" ms"));
    backstep_->setToolTip(tr("Playback started from stopped begins this much earlier"));
    // A value set outside the dialog (typixctl) is shown held to the range.
    backstep_->setValue(settings_.backstep());
    form->addRow(tr("Step back on resume"), backstep_);

    // One below the smallest size stands for the window's own size, shown
    // as "Default" and stored as 0.
    padFontSize_ = new QSpinBox(this);
    padFontSize_->setObjectName(QStringLiteral("padfontsize"));
    padFontSize_->setRange(PadFont::kSmallest - 1, PadFont::kLargest);
    padFontSize_->setSpecialValueText(tr("Default"));
    padFontSize_->setSuffix(QStringLiteral(" pt"));
    padFontSize_->setToolTip(tr("Ctrl+Plus and Ctrl+Minus in the pad change it too"));
    const int stored = settings_.padFontSize();
    padFontSize_->setValue(stored > 0 ? std::clamp(stored, PadFont::kSmallest, PadFont::kLargest)
                                      : padFontSize_->minimum());
    form->addRow(tr("Typing pad font size"), padFontSize_);
}

void TypingSettings::save() {
    settings_.setBackstep(backstep_->value());
    const int size = padFontSize_->value();
    settings_.setPadFontSize(size == padFontSize_->minimum() ? 0 : size);
}

}  // namespace typix
