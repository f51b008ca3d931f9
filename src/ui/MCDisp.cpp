#include "ui/MCDisp.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "ui/LDBEdit.h"
#include "ui/PanelPlacement.h"

namespace typix {

MCDisp::MCDisp(QWidget* owner) : QObject(owner), owner_(owner) {}

MCDisp::~MCDisp() { close(); }

void MCDisp::showFor(int channels) {
    int rows = std::clamp(channels, 1, kMaxRows);
    if (isOpen() && rows == rows_) return;
    close();
    rows_ = rows;
    createWindow();
    // The panel must not take the typist's keys away from the main window.
    if (owner_) owner_->activateWindow();
}

void MCDisp::close() {
    if (window_) delete window_.data();
}

void MCDisp::createWindow() {
    auto* w = new QWidget(owner_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                      Qt::WindowCloseButtonHint);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setObjectName(QStringLiteral("MCD"));
    w->setWindowTitle(tr("Channels"));
    int height = rows_ * 20 + 20;
    w->setFixedSize(120, height);
    placeBesideOwner(*w);
    for (int i = 0; i < rows_; ++i) {
        int y = i * (height - 4) / rows_ + 2;
        auto* check = new QPushButton(QString::number(i), w);
        check->setObjectName(QString::number(2 * i));
        check->setCheckable(true);
        check->setChecked(entries_[i].enabled);
        check->setGeometry(2, y, 24, 16);
        connect(check, &QPushButton::toggled, this, [this] { storeRows(); });
        auto* level = new LDBEdit(w);
        level->setObjectName(QString::number(2 * i + 1));
        level->setMaximum(12);
        level->setMinimum(-36);
        level->setGeometry(28, y, 120 - 30, 16);
        level->setValue(entries_[i].level);
        level->showValue();
        // A drag restarts playback once, when the button is released.
        connect(level, &LDBEdit::changed, this, [this, level] {
            if (level->isDragging())
                storeEntries();
            else
                storeRows();
        });
        connect(level, &LDBEdit::dragFinished, this, [this] { storeRows(); });
    }
    window_ = w;
    w->show();
}

void MCDisp::placeBesideOwner(QWidget& panel) const {
    QWidget* main = owner_ ? owner_->window() : nullptr;
    QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
    if (!main || !screen) {
        panel.move(100, 100);
        return;
    }
    // The panel's own frame is not known before it shows; allow the main one's.
    const QSize frame = main->frameGeometry().size() - main->geometry().size();
    panel.move(panelBeside(main->frameGeometry(), panel.size() + frame, screen->availableGeometry()));
}

QPushButton* MCDisp::rowCheck(int row) const {
    return window_ ? window_->findChild<QPushButton*>(QString::number(2 * row)) : nullptr;
}

LDBEdit* MCDisp::rowLevel(int row) const {
    return window_ ? window_->findChild<LDBEdit*>(QString::number(2 * row + 1)) : nullptr;
}

void MCDisp::storeEntries() {
    for (int i = 0; i < rows_; ++i) {
        if (QPushButton* check = rowCheck(i)) entries_[i].enabled = check->isChecked();
        if (LDBEdit* level = rowLevel(i)) entries_[i].level = static_cast<int8_t>(level->value());
    }
}

void MCDisp::storeRows() {
    storeEntries();
    emit changed();
}

void MCDisp::channelGains(int channels, std::vector<int8_t>& left,
                          std::vector<int8_t>& right) const {
    channelGains(channels, entries_, left, right);
}

// Channel i sits at pan p = i / (C - 1); the far side is lowered by
// trunc(|0.5 - p| * 36) dB, so the end channels are 18 dB lower opposite.
void MCDisp::channelGains(int channels, const std::array<Channel, kEntries>& entries,
                          std::vector<int8_t>& left, std::vector<int8_t>& right) {
    left.assign(std::max(channels, 0), 0);
    right.assign(std::max(channels, 0), 0);
    for (int i = 0; i < channels; ++i) {
        double p = channels > 1 ? double(i) / double(channels - 1) : 0.5;
        Channel c = i < kEntries ? entries[i] : Channel{};
        int e = c.enabled ? c.level : -127;
        int l = e;
        int r = e;
        if (p <= 0.5)
            r = e - int(std::trunc((0.5 - p) * 36));
        else
            l = e - int(std::trunc((p - 0.5) * 36));
        left[i] = static_cast<int8_t>(std::clamp(l, -127, 127));
        right[i] = static_cast<int8_t>(std::clamp(r, -127, 127));
    }
}

}  // namespace typix
