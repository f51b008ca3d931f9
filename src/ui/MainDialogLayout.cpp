// The arrangement of MainDialog's controls: files and sender details on top,
// transport, volume and dock in the middle, the typing pad below and the
// status line at the bottom.  Sizes follow the font, so the window looks the
// same at any scale.
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "ui/CommandIds.h"
#include "ui/FilesListBox.h"
#include "ui/KeyHints.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"
#include "ui/MainDialog.h"
#include "ui/PressButton.h"
#include "ui/TypePad.h"
#include "ui/WaveformStrip.h"

namespace typix {

namespace {

template <class W>
W* named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QPushButton* transportButton(QPushButton* button, int id) {
    named(button, id);
    button->setIconSize(QSize(32, 24));
    button->setFixedSize(48, 34);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLineEdit* readOnlyField(int id, int chars, QWidget* parent) {
    auto* field = named(new QLineEdit(parent), id);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignCenter);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars);
    return field;
}

}  // namespace

QGroupBox* MainDialog::buildFilesGroup() {
    auto* group = new QGroupBox(tr(" Files"), this);
    auto* row = new QHBoxLayout(group);
    list_ = named(new FilesListBox(group), cmd::kFileList);
    list_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 34);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setFixedHeight(fontMetrics().height() * 6);
    row->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    dispatch_ = named(new QPushButton(tr("Dispatch"), group), cmd::kDispatch);
    done_ = named(new QPushButton(tr("Done"), group), cmd::kDone);
    delete_ = named(new QPushButton(tr("Delete"), group), cmd::kDelete);
    for (QPushButton* b : {dispatch_, done_, delete_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    row->addLayout(buttons);
    return group;
}

QGroupBox* MainDialog::buildSenderGroup() {
    senderGroup_ = named(new QGroupBox(tr(" Sender Information"), this), 150);
    auto* grid = new QGridLayout(senderGroup_);
    sender_ = named(new QPlainTextEdit(senderGroup_), 151);
    sender_->setReadOnly(true);
    sender_->setFixedHeight(fontMetrics().height() * 4 + 12);
    grid->addWidget(sender_, 0, 0, 1, 4);
    priorityLabel_ = named(new QLabel(tr("Priority"), senderGroup_), 155);
    priority_ = readOnlyField(156, 7, senderGroup_);
    dateLabel_ = named(new QLabel(tr("Date"), senderGroup_), 157);
    date_ = readOnlyField(158, 17, senderGroup_);
    grid->addWidget(priorityLabel_, 1, 0);
    grid->addWidget(priority_, 1, 1);
    grid->addWidget(dateLabel_, 1, 2, Qt::AlignRight);
    grid->addWidget(date_, 1, 3);
    grid->setColumnStretch(3, 1);
    return senderGroup_;
}

QGroupBox* MainDialog::buildTransportGroup() {
    transportGroup_ = named(new QGroupBox(tr(" Transport"), this), 200);
    auto* grid = new QGridLayout(transportGroup_);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    play_ = transportButton(new QPushButton(transportGroup_), cmd::kPlay);
    play_->setCheckable(true);
    stop_ = transportButton(new QPushButton(transportGroup_), cmd::kStop);
    start_ = transportButton(new QPushButton(transportGroup_), cmd::kStart);
    rewind_ = new PressButton(cmd::kRewind, transportGroup_);
    transportButton(rewind_, cmd::kRewind);
    forward_ = new PressButton(cmd::kForward, transportGroup_);
    transportButton(forward_, cmd::kForward);
    end_ = transportButton(new QPushButton(transportGroup_), cmd::kEnd);
    QPushButton* row[] = {play_, stop_, start_, rewind_, forward_, end_};
    for (int i = 0; i < 6; ++i) grid->addWidget(row[i], 1, i);

    meter_ = named(new LDBDisplay(transportGroup_), cmd::kLevelMeter);
    meter_->setDrawsEdge(true);
    meter_->setFixedHeight(fontMetrics().height() - 2);
    grid->addWidget(meter_, 0, 2);
    positionBar_ = named(new QScrollBar(Qt::Horizontal, transportGroup_), cmd::kPositionBar);
    positionBar_->setFixedHeight(fontMetrics().height() - 2);
    grid->addWidget(positionBar_, 0, 3, 1, 2);
    positionText_ = named(new QLabel(transportGroup_), cmd::kPositionText);
    positionText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    positionText_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral(" 0:00:00.0 ")));
    // The total length of the waveform strip stands beside the position.
    auto* times = new QHBoxLayout;
    times->setSpacing(2);
    times->addWidget(positionText_);
    times->addWidget(waveform_->lengthText());
    grid->addLayout(times, 0, 5);
    return transportGroup_;
}

QGroupBox* MainDialog::buildVolumeGroup() {
    auto* group = new QGroupBox(tr(" Volume"), this);
    auto* column = new QVBoxLayout(group);
    column->setSpacing(2);
    volume_ = named(new LDBEdit(group), cmd::kVolume);
    volume_->setDrawsEdge(true);
    volume_->setFixedSize(volume_->textWidth() + fontMetrics().horizontalAdvance(QLatin1Char('0')) * 7,
                          fontMetrics().height() + 2);
    column->addWidget(volume_);
    column->addWidget(new QLabel(tr("Speed"), group));
    speedBar_ = named(new QScrollBar(Qt::Horizontal, group), cmd::kSpeedBar);
    speedBar_->setFixedHeight(fontMetrics().height() - 4);
    // The speed in force as text beside the bar, wide enough for "200 %".
    speedText_ = new QLabel(group);
    speedText_->setObjectName(QStringLiteral("speedtext"));
    speedText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedText_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("200 %")) + 2);
    auto* speedRow = new QHBoxLayout;
    speedRow->setSpacing(4);
    speedRow->addWidget(speedBar_, 1);
    speedRow->addWidget(speedText_);
    column->addLayout(speedRow);
    // Clear voice beside the volume, where the typist sets how the voice
    // sounds; a click goes through the same command as the Transport menu
    // item, so a play in progress restarts once.
    auto* clearVoice = named(new QCheckBox(tr("Clear Voice"), group), cmd::kClearVoice);
    clearVoice->setChecked(settings_.clearVoice());
    connect(clearVoice, &QCheckBox::clicked, this, [this](bool on) {
        if (on != settings_.clearVoice()) command(cmd::kClearVoice);
        showClearVoice();  // a refused command leaves the box as the setting is
    });
    column->addWidget(clearVoice);
    return group;
}

QGroupBox* MainDialog::buildDockGroup() {
    auto* group = new QGroupBox(tr(" Dock"), this);
    auto* column = new QVBoxLayout(group);
    dock_ = transportButton(new QPushButton(group), cmd::kDock);
    dock_->setCheckable(true);
    column->addStretch();
    column->addWidget(dock_);
    return group;
}

QGroupBox* MainDialog::buildTypingGroup() {
    typingGroup_ = named(new QGroupBox(tr(" Typing Pad"), this), 399);
    auto* column = new QVBoxLayout(typingGroup_);
    pad_ = named(new TypePad(typingGroup_), cmd::kTypingPad);
    pad_->setMinimumHeight(fontMetrics().height() * 12);
    column->addWidget(pad_);
    return typingGroup_;
}

QWidget* MainDialog::buildStatusRow() {
    auto* rowWidget = new QWidget(this);
    auto* row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);
    auto* sunken = new QFrame(rowWidget);
    sunken->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* inside = new QHBoxLayout(sunken);
    inside->setContentsMargins(4, 1, 4, 1);
    statusLine_ = named(new QLabel(sunken), cmd::kStatusLine);
    // A long notice is cut at the window's edge; it never widens the window
    // or squeezes the panels above.
    statusLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    inside->addWidget(statusLine_);
    row->addWidget(sunken, 1);
    progress_ = named(new QProgressBar(rowWidget), cmd::kProgress);
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
    row->addWidget(progress_);
    return rowWidget;
}

void MainDialog::buildLayout() {
    auto* top = new QGridLayout(this);
    top->setContentsMargins(4, 4, 4, 4);
    top->setSpacing(4);
    waveform_ = new WaveformStrip(*this);
    top->addWidget(buildFilesGroup(), 0, 0);
    auto* sender = buildSenderGroup();
    top->addWidget(sender, 0, 1, 1, 3);
    top->addWidget(buildTransportGroup(), 1, 0);
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildVolumeGroup());
    middle->addWidget(buildDockGroup());
    top->addLayout(middle, 1, 1, 1, 3);
    // Full-width strips (a view of the whole dictation) go into this slot,
    // under the transport and above the typing pad: the waveform strip.
    stripSlot_ = new QVBoxLayout;
    stripSlot_->setContentsMargins(0, 0, 0, 0);
    top->addLayout(stripSlot_, 2, 0, 1, 5);
    stripSlot_->addWidget(waveform_);
    top->addWidget(buildTypingGroup(), 3, 0, 1, 5);
    top->addWidget(buildStatusRow(), 4, 0, 1, 5);
    // A larger window gives its room to the typing pad; the panels above keep
    // their size, with the spare width in the empty column 4.
    top->setRowStretch(3, 1);
    top->setColumnStretch(4, 1);
    addToolTips();
    connectContextMenus();
}

void MainDialog::addToolTips() {
    struct Tip { QWidget* control; const char* text; };
    const Tip tips[] = {
        {list_, QT_TR_NOOP("List of current files")},
        {dispatch_, QT_TR_NOOP("Reply to sender with typing (Ctrl+D)")},
        {done_, QT_TR_NOOP("Mark file as Done and remove from list (Ctrl+N)")},
        {delete_, QT_TR_NOOP("Delete file - unrecoverable (Ctrl+Del)")},
        {priority_, QT_TR_NOOP("Priority (importance) of file")},
        {stop_, QT_TR_NOOP("Stop (Escape)")},
        {start_, QT_TR_NOOP("Go to Start (Ctrl+Home)")},
        {end_, QT_TR_NOOP("Go to End (Ctrl+End)")},
        {volume_, QT_TR_NOOP("Playback volume level control")},
        {speedBar_, QT_TR_NOOP("Playback speed control")},
        {control(cmd::kClearVoice), QT_TR_NOOP("Less rumble, even loudness (Transport menu: Clear Voice)")},
        {dock_, QT_TR_NOOP("Transfer recording from Portable Dictaphone (Ctrl+L)")},
        {pad_, QT_TR_NOOP("Type here (right click for menu)")},
        {progress_, QT_TR_NOOP("Current load progress")},
    };
    for (const Tip& tip : tips) tip.control->setToolTip(tr(tip.text));
    showKeyHints(*this, KeyMode::WindowKeys);  // the hot keys' set-up says otherwise
}

QWidget* MainDialog::control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

}  // namespace typix
