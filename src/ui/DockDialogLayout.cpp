// The arrangement of DockDialog's controls: the connection settings group
// (device, channel, record volume, activate level), the message field, the
// recording row (Restart, recorded time, level meter) and the buttons.
// Control ids are the object names.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DockDialog.h"
#include "ui/HelpWindow.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"

namespace typix {

namespace {

template <typename W>
W* named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

LDBEdit* levelSlider(QWidget* parent, int id) {
    auto* slider = named(new LDBEdit(parent), id);
    slider->setMinimum(-36);
    slider->setMaximum(12);
    return slider;
}

}  // namespace

void DockDialog::buildLayout() {
    auto* group = new QGroupBox(tr(" &Connection Settings"), this);
    devices_ = named(new QComboBox(group), 100);
    channels_ = named(new QComboBox(group), 101);
    volume_ = levelSlider(group, 102);
    activate_ = levelSlider(group, 103);
    auto* grid = new QGridLayout(group);
    const char* labels[] = {QT_TR_NOOP("Sound Record Device"), QT_TR_NOOP("Audio Input Channel"),
                            QT_TR_NOOP("Record Volume Level"), QT_TR_NOOP("Activate Level")};
    QWidget* fields[] = {devices_, channels_, volume_, activate_};
    for (int row = 0; row < 4; ++row) {
        auto* label = new QLabel(tr(labels[row]), group);
        label->setBuddy(fields[row]);
        grid->addWidget(label, row, 0);
        grid->addWidget(fields[row], row, 1);
    }
    grid->setColumnStretch(1, 1);

    message_ = named(new QLabel(this), 104);
    message_->setWordWrap(true);
    message_->setMinimumHeight(fontMetrics().height() * 3);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    restart_ = named(new QPushButton(tr("Restart"), this), 108);
    time_ = named(new QLabel(this), 109);
    time_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral(" 0:00:00.0 ")));
    meter_ = named(new LDBDisplay(this), 110);
    meter_->setMinimumSize(80, 12);
    auto* recording = new QHBoxLayout;
    recording->addWidget(restart_);
    recording->addWidget(time_);
    recording->addWidget(meter_, 1);

    done_ = named(new QPushButton(tr("&Done"), this), 1);
    cancel_ = named(new QPushButton(tr("Cancel"), this), 2);
    help_ = named(new QPushButton(tr("Help"), this), 9);
    done_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {done_, cancel_, help_}) buttons->addWidget(b);

    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addWidget(message_);
    column->addLayout(recording);
    column->addLayout(buttons);

    connect(devices_, &QComboBox::activated, this, &DockDialog::deviceChosen);
    connect(channels_, &QComboBox::activated, this, &DockDialog::channelChosen);
    connect(volume_, &LDBEdit::changed, this, &DockDialog::recordVolumeChanged);
    connect(restart_, &QPushButton::clicked, this, &DockDialog::start);
    connect(done_, &QPushButton::clicked, this, &DockDialog::finishTape);
    connect(cancel_, &QPushButton::clicked, this, &DockDialog::cancelTransfer);
    connect(help_, &QPushButton::clicked, this, [] { HelpWindow::showContext(103); });
    addToolTips();
}

void DockDialog::addToolTips() {
    const std::pair<QWidget*, const char*> tips[] = {
        {devices_, QT_TR_NOOP("Select sound card to be used for connection")},
        {channels_, QT_TR_NOOP("Select the sound input channel")},
        {volume_, QT_TR_NOOP("Set the volume to record at")},
        {activate_, QT_TR_NOOP("Set the automatic activate level")},
        {restart_, QT_TR_NOOP("Restart the transfer")},
        {done_, QT_TR_NOOP("Click when transfer is complete")},
        {cancel_, QT_TR_NOOP("Cancel Transfer")},
        {help_, QT_TR_NOOP("Display more instructions about using the Transfer feature")},
    };
    for (const auto& [widget, tip] : tips) widget->setToolTip(tr(tip));
}

}  // namespace typix
