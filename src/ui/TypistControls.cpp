#include "ui/TypistControls.h"

#include "app/Settings.h"
#include "ui/HotKeys.h"
#include "ui/KeyHints.h"
#include "ui/KeyboardFilter.h"
#include "ui/LDBEdit.h"
#include "ui/MainDialog.h"
#include "ui/PadFont.h"
#include "ui/SettingsDialog.h"

namespace typix {

TypistControls::TypistControls(MainDialog& dialog, Settings& settings, BGLoad* loader,
                               PedalControl::DriverFactory pedals, PedalControl::Clock clock)
    : QObject(&dialog),
      dialog_(dialog),
      settings_(settings),
      loader_(loader),
      pedal_(new PedalControl(dialog, settings, std::move(pedals), std::move(clock))),
      hotKeys_(new HotKeys(dialog)),
      keys_(new KeyboardFilter(dialog, [this] { return hotKeys_->registered(); })) {
    setObjectName(QStringLiteral("TypistControls"));
    showSettings = [](SettingsDialog& d) { return d.exec() == QDialog::Accepted; };
}

TypistControls* TypistControls::of(const MainDialog& dialog) {
    return dialog.findChild<TypistControls*>(QString(), Qt::FindDirectChildrenOnly);
}

void TypistControls::registerHotKeys() {
    if (settings_.hotKeys()) hotKeys_->registerKeys();
    showKeyHints(dialog_, keyModeOf(dialog_));
}

void TypistControls::setUp() {
    registerHotKeys();
    pedal_->setUp();
}

void TypistControls::cleanUp() {
    pedal_->stop();
    hotKeys_->unregisterKeys();
}

void TypistControls::runSettings() {
    hotKeys_->unregisterKeys();
    pedal_->stop();
    {
        SettingsDialog settingsDialog(settings_, loader_, &dialog_);
        showSettings(settingsDialog);
    }
    pedal_->setUp();
    registerHotKeys();
    dialog_.volumeControl()->setValue(settings_.soundOutVolume());
    dialog_.volumeControl()->showValue();
    dialog_.volumeChanged();  // applied at once to a playing dictation
    dialog_.showClearVoice();
    if (PadFont* font = PadFont::of(dialog_)) font->apply();
}

}  // namespace typix
