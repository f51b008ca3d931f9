// Recover Old Files: list, play and move back a finished dictation.
#include "ui/RecoverDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "app/Settings.h"
#include "formats/OpenWaveFile.h"
#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/LFile.h"
#include "ui/FilesListBox.h"

namespace typix {

RecoverDialog::RecoverDialog(Settings& settings, std::unique_ptr<TransportPlayer> player,
                             QWidget* parent)
    : QDialog(parent), settings_(settings), player_(std::move(player)) {
    setObjectName(QStringLiteral("RecoverDialog"));
    setWindowTitle(tr("Recover Old Files"));
    buildLayout();
    player_->setListener(this, false);
    fillList();
}

RecoverDialog::~RecoverDialog() { cleanUp(); }

QPushButton* RecoverDialog::addButton(QVBoxLayout* column, const QString& text, const QString& id) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(id);
    column->addWidget(button);
    return button;
}

void RecoverDialog::buildLayout() {
    auto* row = new QHBoxLayout(this);
    auto* group = new QGroupBox(tr(" &Files"), this);
    auto* groupLayout = new QVBoxLayout(group);
    list_ = new QListWidget(group);
    list_->setObjectName(QStringLiteral("101"));
    list_->setMinimumWidth(fontMetrics().averageCharWidth() * 34);
    groupLayout->addWidget(list_);
    row->addWidget(group, 1);
    // Stacked at the bottom in the order Recover, Play, Cancel whatever the
    // style's own button order is.
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    auto* recoverButton = addButton(buttons, tr("&Recover"), QStringLiteral("1"));
    recoverButton->setDefault(true);
    play_ = addButton(buttons, tr("&Play"), QStringLiteral("102"));
    auto* cancel = addButton(buttons, tr("Cancel"), QStringLiteral("2"));
    row->addLayout(buttons);
    connect(recoverButton, &QPushButton::clicked, this, &RecoverDialog::recover);
    connect(play_, &QPushButton::clicked, this, &RecoverDialog::togglePlay);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RecoverDialog::fillList() {
    const std::string& done = settings_.doneFiles();
    struct Entry {
        std::string text, base;
        QString key;
    };
    std::vector<Entry> entries;
    const std::string extension = kAudioExtension;
    for (FolderIterator it(done + "*" + extension); it.valid(); it.next()) {
        // Only names ending in exactly ".wav", as in the queue: "a.WAV" is
        // not the audio of the dictation "a".
        const std::string& file = it.name();
        if (it.isDirectory() || file.size() <= extension.size() ||
            file.compare(file.size() - extension.size(), extension.size(), extension) != 0)
            continue;
        std::string base = file.substr(0, file.size() - extension.size());
        DictationRecord record(done, base);
        std::string text = base + ": " + record.name();
        entries.push_back({text, base, QString::fromUtf8(text.data(), qsizetype(text.size()))});
    }
    // Alphabetical without regard to letter case, as the typist reads it;
    // entries that differ only in case keep a fixed order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        int order = a.key.compare(b.key, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.text < b.text;
    });
    for (const Entry& entry : entries) FilesListBox::addEntry(list_, entry.text, entry.base);
}

std::string RecoverDialog::selectedBase() const {
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) return "";
    return FilesListBox::baseOf(item);
}

void RecoverDialog::recover() {
    player_->stop();
    std::string base = selectedBase();
    if (base.empty()) {
        reject();
        return;
    }
    // A file whose name is taken in Current Files stays in Done Files.
    recoverDictation(settings_.doneFiles(), settings_.currentFiles(), base);
    accept();
}

void RecoverDialog::togglePlay() {
    if (player_->isPlaying()) {
        player_->stop();
        return;
    }
    std::string base = selectedBase();
    std::string path = base.empty() ? "" : settings_.doneFiles() + base + kAudioExtension;
    player_->setDevice(storedOutputDevice(settings_));
    player_->applyVolume(settings_.soundOutVolume());
    LSoundSource source = openWaveFile(path);
    // A file that can't be played shows nothing: the button keeps "&Play".
    if (source && source.usable()) player_->play(source);
}

void RecoverDialog::onStarted() { play_->setText(tr("&Stop")); }

void RecoverDialog::onStopped() { play_->setText(tr("&Play")); }

void RecoverDialog::cleanUp() {
    if (cleanedUp_) return;
    cleanedUp_ = true;
    player_->setListener(nullptr, false);
    player_->stop();
}

void RecoverDialog::done(int result) {
    cleanUp();
    QDialog::done(result);
}

bool RecoverDialog::run(QWidget* parent, Settings& settings) {
    RecoverDialog dialog(settings, makeDevicePlayer(), parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace typix
