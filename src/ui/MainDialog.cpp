#include "ui/MainDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "app/Settings.h"
#include "sound/TimeUnits.h"
#include "store/DictationDisplay.h"
#include "store/DictationNames.h"
#include "store/DictationQueue.h"
#include "store/DictationRecord.h"
#include "store/QueueRecordCache.h"
#include "store/QueueStatusWriter.h"
#include "transfer/BGLoad.h"
#include "transfer/Status.h"
#include "store/TypingFile.h"
#include "support/Poster.h"
#include "ui/Autosave.h"
#include "ui/ButtonImages.h"
#include "ui/CommandIds.h"
#include "ui/FilesListBox.h"
#include "ui/KeyHints.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"
#include "ui/LogoWin.h"
#include "ui/MCDisp.h"
#include "ui/PadFont.h"
#include "ui/PressButton.h"
#include "ui/TimeMarks.h"
#include "ui/TypistControls.h"

namespace typix {

namespace {

// Short notices shown in the status line, one every five seconds.  The empty
// one tells how to scan with the keys in force (KeyHints).
const char* const kNotices[] = {
    QT_TRANSLATE_NOOP("typix::MainDialog", "Korvel Typix - transcription made comfortable"),
    nullptr,
    QT_TRANSLATE_NOOP("typix::MainDialog",
        "F9 plays at normal speed, F10 slowly, F11 fast; Escape stops"),
    QT_TRANSLATE_NOOP("typix::MainDialog",
        "Your typing is saved whenever you move to another dictation"),
    QT_TRANSLATE_NOOP("typix::MainDialog",
        "Dispatch (Ctrl+D) sends your typing back to the author"),
    QT_TRANSLATE_NOOP("typix::MainDialog",
        "Done files can be recovered for about ten days (Ctrl+O)"),
    QT_TRANSLATE_NOOP("typix::MainDialog", "Drag the speed bar to slow down fast talkers"),
    QT_TRANSLATE_NOOP("typix::MainDialog",
        "New dictation arrives by itself from FTP, the network and e-mail"),
    QT_TRANSLATE_NOOP("typix::MainDialog", "Press F1 for help on keys, pedals and settings"),
};
constexpr int kNoticeCount = int(sizeof(kNotices) / sizeof(kNotices[0]));

}  // namespace

MainDialog::Prompts MainDialog::boxPrompts() {
    Prompts p;
    p.warn = [](const QString& title, const QString& text) {
        QMessageBox::warning(QApplication::activeWindow(), title, text);
    };
    p.askYesNo = [](const QString& title, const QString& text) {
        return QMessageBox::warning(QApplication::activeWindow(), title, text,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    p.openFile = nullptr;  // filled by the file action (needs the dialog's own code)
    return p;
}

MainDialog::MainDialog(Settings& settings, std::unique_ptr<TransportPlayer> player,
                       QWidget* parent, ChainParts parts, Prompts prompts, Workers workers)
    : QWidget(parent),
      settings_(settings),
      player_(std::move(player)),
      parts_(std::move(parts)),
      prompts_(std::move(prompts)),
      workers_(workers),
      images_(std::make_unique<ButtonImages>()),
      readings_(std::make_unique<QueueRecordCache>()),
      placeWriter_(std::make_unique<QueueStatusWriter>(
          [this] {
              // The status files are made from the places just written.
              QMetaObject::invokeMethod(this, [this] { startStatusFiles(); }, Qt::QueuedConnection);
          },
          readings_.get())) {
    setObjectName(QStringLiteral("MainDialog"));
    buildLayout();
    channels_ = new MCDisp(this);
    setUp();
}

MainDialog::~MainDialog() { cleanUp(); }

void MainDialog::setUp() {
    volume_->setMaximum(12);
    volume_->setMinimum(-36);
    logo_ = new LogoWin(this);
    logo_->show();
    logoTimer_.setSingleShot(true);
    connect(&logoTimer_, &QTimer::timeout, this, [this] { delete logo_.data(); });
    logoTimer_.start(7000);
    player_->setListener(this, true);

    meter_->setEnabled(false);
    positionBar_->setRange(0, 20);
    speedBar_->setRange(0, 19);
    showSpeed();
    connect(speedBar_, &QScrollBar::actionTriggered, this, &MainDialog::speedBarAction);
    connect(positionBar_, &QScrollBar::actionTriggered, this, &MainDialog::positionBarAction);
    connect(volume_, &LDBEdit::changed, this, &MainDialog::volumeChanged);
    connect(rewind_, &PressButton::pressReport, this, &MainDialog::onPressReport);
    connect(forward_, &PressButton::pressReport, this, &MainDialog::onPressReport);
    connect(channels_, &MCDisp::changed, this, [this] {
        QMetaObject::invokeMethod(this, [this] {
            if (isCommandEnabled(cmd::kPlay)) startPlayback(speed_, PlayStart::Restart);
        }, Qt::QueuedConnection);
    });
    for (int id : {cmd::kDispatch, cmd::kDone, cmd::kDelete, cmd::kPlay, cmd::kStop,
                   cmd::kStart, cmd::kEnd, cmd::kDock}) {
        auto* button = qobject_cast<QPushButton*>(control(id));
        connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
    }
    connect(list_, &QListWidget::currentRowChanged, this, [this] { loadSelected(); });
    new Autosave(pad_, [this] { saveTyping(); });
    new TimeMarks(*this);
    new PadFont(*this, settings_);

    rebuildList();

    dock_->setIcon(images_->icon(ButtonImages::Button::Dock, ButtonImages::State::Loaded));
    noticeIndex_ = 0;
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, &MainDialog::nextStatusNotice);
    noticeTimer_.start(1000);
    progress_->setRange(0, 100);
    connectLoader();
    progressAndRefresh();
    volume_->setValue(settings_.soundOutVolume());
    volume_->showValue();
    startLoader();
    (new TypistControls(*this, settings_, workers_.loader))->setUp();
    qApp->installEventFilter(this);
}

void MainDialog::cleanUp() {
    if (cleanedUp_) return;
    cleanedUp_ = true;
    placeWriter_->stop();
    qApp->removeEventFilter(this);
    if (TypistControls* controls = TypistControls::of(*this)) controls->cleanUp();
    disconnectLoader();
    saveTyping();
    current_.clear();
    player_->setListener(nullptr, false);
    player_->stop();
    noticeTimer_.stop();
    logoTimer_.stop();
    delete logo_.data();
    channels_->close();
}

void MainDialog::nextStatusNotice() {
    // The loader notifies only when its progress moves noticeably, so a small
    // arrival would wait for the next big one; look for arrivals here as well.
    progressAndRefresh();
    const char* notice = kNotices[noticeIndex_];
    statusLine_->setText(notice ? tr(notice) : scanNotice(keyModeOf(*this)));
    noticeIndex_ = (noticeIndex_ + 1) % kNoticeCount;
    noticeTimer_.start(5000);
}

void MainDialog::command(int id) {
    bool needsDictation = id == cmd::kDispatch || id == cmd::kDone || id == cmd::kDelete ||
                          (id >= cmd::kPlay && id <= cmd::kPlayFast) ||
                          (id >= cmd::kCut && id <= cmd::kCopyAll);
    if (needsDictation && !hasDictation()) return;
    if (!isCommandEnabled(id)) return;
    switch (id) {
        case cmd::kDone: finishCurrent(false); break;
        case cmd::kDispatch: finishCurrent(true); break;
        case cmd::kRecover: recoverOldFiles(); break;
        case cmd::kDelete: deleteCurrent(); break;
        case cmd::kLoadFile: loadDictationFile(); break;
        case cmd::kPlay: playAtSpeed(speed_); break;
        case cmd::kPlaySlow: playAtSpeed(settings_.slowSpeed()); break;
        case cmd::kPlayFast: playAtSpeed(settings_.fastSpeed()); break;
        case cmd::kStop: player_->stop(); break;
        case cmd::kStart: goToStart(); break;
        case cmd::kEnd: goToEnd(); break;
        case cmd::kClearVoice: toggleClearVoice(); break;
        case cmd::kCut: pad_->cut(); break;
        case cmd::kCopy: pad_->copy(); break;
        case cmd::kPaste: pad_->paste(); break;
        case cmd::kCopyAll: copyAll(); break;
        case cmd::kInsertTimeMark: TimeMarks::of(*this)->insertMark(); break;
        case cmd::kDock: openDock(); break;
        case cmd::kSettings:
            if (TypistControls* controls = TypistControls::of(*this)) controls->runSettings();
            break;
        default: emit frameCommand(id); break;
    }
}

void MainDialog::copyAll() {
    pad_->selectAll();
    pad_->copy();
}

void MainDialog::rebuildList() {
    ++listingSerial_;
    // Only the place writer changes places, so a listing made while it is
    // idle reads them as they stand and unchanged ones cost nothing.
    const StoredStatuses stored =
        placeWriter_->isIdle() ? StoredStatuses::Current : StoredStatuses::MaybeStale;
    std::vector<QueueEntry> queue = listQueue(settings_.currentFiles(), readings_.get());
    showQueue(queue);
    // The places go into the records on the writer's thread, and the status
    // files follow when they are in.
    placeWriter_->submit(settings_.currentFiles(), std::move(queue), stored);
}

void MainDialog::rebuildListSoon() {
    const uint64_t serial = ++listingSerial_;
    placeWriter_->submitListing(settings_.currentFiles(), [this, serial](const std::vector<QueueEntry>& queue) {
        QMetaObject::invokeMethod(
            this,
            [this, serial, queue] {
                // A rebuild made meanwhile has shown a newer listing.
                if (serial == listingSerial_ && !cleanedUp_) showQueue(queue);
            },
            Qt::QueuedConnection);
    });
}

void MainDialog::showQueue(const std::vector<QueueEntry>& queue) {
    {
        QSignalBlocker quiet(list_);
        list_->clear();
        for (const QueueEntry& entry : queue) {
            QListWidgetItem* item = FilesListBox::addEntry(list_, entry.text, entry.base);
            item->setData(Qt::UserRole, QVariant::fromValue<uint>(entry.key));
        }
    }
    if (hasDictation()) {
        // The highlight returns to exactly the open dictation: "smith" is not
        // "Smith", and "Tape 1" is not "Tape 12".
        const std::string base = currentBase();
        QSignalBlocker quiet(list_);
        list_->setCurrentRow(FilesListBox::rowOf(list_, base));
    } else {
        {
            QSignalBlocker quiet(list_);
            list_->setCurrentRow(list_->count() > 0 ? 0 : -1);
        }
        loadSelected();
    }
    update();
}

void MainDialog::loadSelected() {
    saveTyping();
    QListWidgetItem* item = list_->currentItem();
    std::string base = FilesListBox::baseOf(item);
    std::string path = base.empty() ? "" : audioPath(settings_.currentFiles(), base);
    if (path != current_) {
        stop();
        current_ = path;
        // The loader must never replace the dictation that is open here.
        if (workers_.loader) workers_.loader->SetFileInUse(current_);
    }
    if (hasDictation())
        showRecord();
    else
        clearRecord();
    enableForDictation();
    update();
}

std::string MainDialog::currentBase() const {
    return basePath().substr(std::min(basePath().size(), settings_.currentFiles().size()));
}

std::string MainDialog::basePath() const {
    return current_.size() >= 4 ? current_.substr(0, current_.size() - 4) : current_;
}

void MainDialog::showRecord() {
    DictationRecord record(basePath() + kRecordExtension);
    sender_->setPlainText(QString::fromStdString(senderDetailsText(record)));
    priority_->setText(QString::fromStdString(record.priority()));
    date_->setText(QString::fromStdString(formatDictationDate(record.displayDate())));
    showButtonImages(int(ButtonImages::State::Loaded));
    pad_->setPlainText(QString::fromStdString(readTyping(basePath() + kTypingExtension)));
    pad_->document()->setModified(false);
    readDuration();
    setPosition(0);
    record.flush();
}

void MainDialog::clearRecord() {
    sender_->clear();
    priority_->clear();
    date_->clear();
    pad_->clear();
    pad_->document()->setModified(false);
    showButtonImages(int(ButtonImages::State::NoDictation));
    duration_ = 0;
    setPosition(0);
}

void MainDialog::readDuration() {
    LSoundSource file = parts_.openAudio(current_);
    int32_t rate = file.usable() ? file->sampleRate() : 44100;
    int32_t length = file.usable() ? file->getLength() : 0;
    duration_ = framesToTime(length, rate);
}

void MainDialog::enableForDictation() {
    bool on = hasDictation();
    for (QWidget* w : std::initializer_list<QWidget*>{
             dispatch_, done_, delete_, senderGroup_, priorityLabel_, dateLabel_,
             transportGroup_, positionText_, typingGroup_, pad_})
        w->setEnabled(on);
    dispatch_->setEnabled(isCommandEnabled(cmd::kDispatch));
    dock_->setEnabled(isCommandEnabled(cmd::kDock));
    if (!on) dispatch_->setFocus();
    emit dictationChanged(on);
}

void MainDialog::showButtonImages(int stateValue) {
    using B = ButtonImages::Button;
    auto state = ButtonImages::State(stateValue);
    play_->setIcon(images_->icon(B::Play, state));
    play_->setChecked(state == ButtonImages::State::Playing);
    stop_->setIcon(images_->icon(B::Stop, state));
    start_->setIcon(images_->icon(B::Start, state));
    rewind_->setIcon(images_->icon(B::Rewind, state));
    forward_->setIcon(images_->icon(B::FastForward, state));
    end_->setIcon(images_->icon(B::End, state));
}

void MainDialog::progressAndRefresh() {
    if (!workers_.loader) return;
    float fraction = workers_.loader->progress();
    progress_->setValue(fraction == 0.0f ? 0 : int(fraction * 100));
    // Arrivals are listed on the place writer's thread: the window keeps
    // answering while thousands of records are read.
    if (workers_.loader->TakeNewDictation()) rebuildListSoon();
    // What the loader has to tell (a source it could not delete, an FTP
    // certificate problem) stands in the status line for a while.
    for (const std::string& text : workers_.loader->TakeNotices()) {
        statusLine_->setText(QString::fromStdString(text));
        statusLine_->setToolTip(QString::fromStdString(text));
        noticeTimer_.start(20000);
    }
}

void MainDialog::connectLoader() {
    if (!workers_.loader) return;
    loaderWindow_ = std::make_unique<PostWindow>([this](uint32_t message, uintptr_t, intptr_t) {
        if (message == kLoaderMessage) progressAndRefresh();
    });
    workers_.loader->setNotifyTarget(loaderWindow_.get(), kLoaderMessage);
}

void MainDialog::startStatusFiles() {
    if (workers_.status && !cleanedUp_) workers_.status->start(ThreadPriority::Idle);
}

void MainDialog::startLoader() {
    if (workers_.loader) workers_.loader->start(ThreadPriority::Idle);
}

void MainDialog::disconnectLoader() {
    if (!workers_.loader) return;
    workers_.loader->setNotifyTarget(nullptr, 0);
    workers_.loader->stop();
}

}  // namespace typix
