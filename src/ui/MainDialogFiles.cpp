// The file actions of MainDialog: saving the typing, Done, Dispatch, Delete,
// Load Dictation File and Recover Old Files.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPlainTextEdit>

#include "app/Settings.h"
#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "store/TypingFile.h"
#include "transfer/AudioImport.h"
#include "transfer/IncomingLock.h"
#include "ui/DispatchDialog.h"
#include "ui/RecoverDialog.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

// "Audio files (*.mp3 *.MP3 ...)": the file dialog compares letter case.
QString audioFilesFilter() {
    QStringList patterns;
    for (const std::string& extension : audioFileExtensions()) {
        const QString e = QString::fromStdString(extension);
        patterns << QLatin1Char('*') + e << QLatin1Char('*') + e.toUpper();
    }
    return MainDialog::tr("Audio files (%1)").arg(patterns.join(QLatin1Char(' ')));
}

}  // namespace

void MainDialog::saveTyping() {
    if (!hasDictation() || !pad_->document()->isModified()) return;
    // The modified flag stays set: only loading a dictation's text clears it.
    // Typing files keep CR LF line ends, as the senders' programs expect.
    QString text = pad_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    writeTyping(basePath() + kTypingExtension, text.toStdString());
}

void MainDialog::finishCurrent(bool dispatch) {
    if (!hasDictation()) return;
    stop();
    saveTyping();
    std::string base = currentBase();
    if (dispatch) {
        DictationRecord record(settings_.currentFiles(), base);
        // Filed as Dispatched only when the mail was handed over.
        bool sent = DispatchDialog::run(this, settings_, record.senderEmail(), record.name(),
                                        basePath() + kTypingExtension);
        if (!sent) {
            record.flush();
            return;
        }
    }
    finishDictation(settings_.currentFiles(), settings_.doneFiles(), base,
                    dispatch ? kStatusDispatched : kStatusDone);
    current_.clear();
    rebuildList();
}

void MainDialog::deleteCurrent() {
    stop();
    if (!hasDictation()) return;
    bool yes = prompts_.askYesNo(
        tr("Confirm Delete"),
        tr("Are you sure you want to delete this file?\n\nOnce you have deleted a file "
           "is cannot be recovered. Use the Done button if you want to be able to "
           "recover the file."));
    if (!yes) return;
    std::string base = currentBase();
    deleteDictation(settings_.currentFiles(), base);
    current_.clear();
    rebuildList();
}

void MainDialog::loadDictationFile() {
    QString folder = QString::fromStdString(settings_.fileLoadDir());
    QString chosen;
    if (prompts_.openFile) {
        chosen = prompts_.openFile(tr("Load Dictation File"), folder);
    } else {
        const QString filters = tr("Dictation or Wave Files (*.dct *.DCT *.wav *.WAV)") +
                                QStringLiteral(";;") + audioFilesFilter() + QStringLiteral(";;") +
                                tr("All Files (*)");
        chosen = QFileDialog::getOpenFileName(this, tr("Load Dictation File"), folder, filters);
    }
    if (chosen.isEmpty()) return;
    QFileInfo info(chosen);
    settings_.setFileLoadDir(info.absolutePath().toStdString() + "/");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    copyIntoIncoming(info.absoluteFilePath().toStdString(), settings_.incomingFiles());
    QApplication::restoreOverrideCursor();
}

void MainDialog::recoverOldFiles() {
    stop();
    if (!RecoverDialog::run(this, settings_)) return;
    saveTyping();
    current_.clear();
    rebuildList();
}

}  // namespace typix
