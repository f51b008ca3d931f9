#include "ui/Autosave.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include <cstdlib>

namespace typix {

namespace {

int chooseInterval(int asked) {
    if (asked > 0) return asked;
    if (const char* env = std::getenv("TYPIX_AUTOSAVE_MS")) {
        int ms = std::atoi(env);
        if (ms > 0) return ms;
    }
    return Autosave::kDefaultIntervalMs;
}

}  // namespace

Autosave::Autosave(QPlainTextEdit* pad, std::function<void()> save, int intervalMs)
    : QObject(pad), pad_(pad), save_(std::move(save)) {
    timer_.setSingleShot(true);
    timer_.setInterval(chooseInterval(intervalMs));
    connect(&timer_, &QTimer::timeout, this, &Autosave::due);
    connect(pad_, &QPlainTextEdit::textChanged, this, &Autosave::changed);
    // Putting a dictation's text into the pad changes it while the flag is
    // still set and clears the flag afterwards: that stops the clock again.
    connect(pad_->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (!modified) timer_.stop();
    });
}

void Autosave::changed() {
    // Loading another dictation's text clears the flag: nothing to save then.
    if (!pad_->document()->isModified()) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive()) timer_.start();
}

void Autosave::due() {
    if (pad_->document()->isModified()) save_();
}

}  // namespace typix
