// Recover Old Files: list, play and move back a finished dictation.
#include "ui/RecoverDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "formats/OpenWaveFile.h"
#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/LFile.h"

namespace typix {

RecoverDialog::RecoverDialog(Settings& settings, std::unique_ptr<TransportPlayer> player,
                             QWidget* parent)
    : QDialog(parent), settings_(settings), player_(std::move(player)) {
    setObjectName(QStringLiteral("RecoverDialog"));
    setWindowTitle(QStringLiteral("Recover Old Files"));
    buildLayout();
    player_->setListener(this, false);
    fillList();
}

RecoverDialog::~RecoverDialog() { cleanUp(); }

void RecoverDialog::buildLayout() {
    auto* row = new QHBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral(" &Files"), this);
    auto* groupLayout = new QVBoxLayout(group);
    list_ = new QListWidget(group);
    list_->setObjectName(QStringLiteral("101"));
    list_->setSortingEnabled(true);
    list_->setMinimumWidth(fontMetrics().averageCharWidth() * 34);
    groupLayout->addWidget(list_);
    row->addWidget(group, 1);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    auto* recoverButton = buttons->addButton(QStringLiteral("&Recover"), QDialogButtonBox::AcceptRole);
    recoverButton->setObjectName(QStringLiteral("1"));
    recoverButton->setDefault(true);
    play_ = buttons->addButton(QStringLiteral("&Play"), QDialogButtonBox::ActionRole);
    play_->setObjectName(QStringLiteral("102"));
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    row->addWidget(buttons, 0, Qt::AlignBottom);
    connect(recoverButton, &QPushButton::clicked, this, &RecoverDialog::recover);
    connect(play_, &QPushButton::clicked, this, &RecoverDialog::togglePlay);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RecoverDialog::fillList() {
    const std::string& done = settings_.doneFiles();
    for (FolderIterator it(done + "*" + kAudioExtension); it.valid(); it.next()) {
        const std::string& file = it.name();
        std::string base = file.substr(0, file.size() - 4);
        DictationRecord record(done, base);
        list_->addItem(QString::fromStdString(base + ": " + record.name()));
    }
}

std::string RecoverDialog::selectedBase() const {
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) return "";
    std::string text = item->text().left(259).toStdString();
    return text.substr(0, text.find(':'));
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

void RecoverDialog::onStarted() { play_->setText(QStringLiteral("&Stop")); }

void RecoverDialog::onStopped() { play_->setText(QStringLiteral("&Play")); }

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
