#include "ui/Autosave.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include <cstdlib>

namespace typix {

namespace {

int chooseMs(int asked, const char* variable, int fallback) {
    if (asked > 0) return asked;
    if (const char* env = std::getenv(variable)) {
        int ms = std::atoi(env);
        if (ms > 0) return ms;
    }
    return fallback;
}

}  // namespace

Autosave::Autosave(QPlainTextEdit* pad, std::function<void()> save, int intervalMs, int pauseMs)
    : QObject(pad), pad_(pad), save_(std::move(save)) {
    for (QTimer* clock : {&interval_, &pause_}) {
        clock->setSingleShot(true);
        connect(clock, &QTimer::timeout, this, &Autosave::due);
    }
    interval_.setInterval(chooseMs(intervalMs, "TYPIX_AUTOSAVE_MS", kDefaultIntervalMs));
    pause_.setInterval(chooseMs(pauseMs, "TYPIX_AUTOSAVE_PAUSE_MS", kDefaultPauseMs));
    connect(pad_, &QPlainTextEdit::textChanged, this, &Autosave::changed);
    // Putting a dictation's text into the pad changes it while the flag is
    // still set and clears the flag afterwards: that stops the clocks again.
    connect(pad_->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (!modified) stopClocks();
    });
}

void Autosave::changed() {
    // Loading another dictation's text clears the flag: nothing to save then.
    if (!pad_->document()->isModified()) {
        stopClocks();
        return;
    }
    pause_.start();
    if (!interval_.isActive()) interval_.start();
}

void Autosave::due() {
    stopClocks();
    if (pad_->document()->isModified()) save_();
}

void Autosave::stopClocks() {
    interval_.stop();
    pause_.stop();
}

}  // namespace typix
