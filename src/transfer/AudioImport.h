#pragma once
// Turns an audio file of any kind the decoder library reads (MP3, M4A, Ogg,
// Opus, FLAC, WMA, AMR, WebM, ...) into a dictation in Current Files: a
// 16-bit PCM wave at the file's own rate and channels and a record whose
// "name" is the title tag (else the file name), "sendername" the artist tag
// when there is one, "date" the file's modification time and "priority"
// Normal.  The base name is the file's name without its extension, or the
// first free "name (2)", "name (3)", ... when a dictation of that name exists.
//
// The wave is decoded block by block into a hidden temporary file in Current
// Files and renamed into place only when it is complete and its record is
// written, so a failure (undecodable input, a full disk, a stop request)
// leaves nothing behind in Current Files.  Runs on the caller's thread (the
// incoming transfer thread, inside its pass that holds the incoming lock).
#include <map>
#include <set>
#include <string>
#include <vector>

#include "transfer/AudioSteps.h"

namespace typix {

struct AudioImportResult {
    AudioOutcome outcome = AudioOutcome::Undecodable;
    std::string base;    // the dictation's base name when imported
    std::string reason;  // why not, for a person
};

// Whether the import pass offers `fileName` (a name in Incoming Files) to
// importAudioFile: every plain file but packages, waves (they have their own
// imports) and hidden files (copies in progress).
bool isAudioImportCandidate(const std::string& fileName);

// The files of one folder that did not decode, with their size and time, so
// that later passes skip them while they stay unchanged (they stay in
// Incoming Files for the typist to see, and a fresh copy is tried again).
class UndecodableFiles {
public:
    bool skip(const std::string& path) const;
    void remember(const std::string& path);
    // Forgets every file not seen since the last call (call once per pass).
    void endPass();

private:
    struct Stamp {
        long long size = 0;
        long long modified = 0;
    };
    std::map<std::string, Stamp> files_;
    mutable std::set<std::string> seen_;
};

// Whether a file found in the LAN or e-mail folder is audio to fetch: those
// folders hold other files too, so only the usual audio extensions count
// there (.mp3, .m4a, .ogg, .opus, .flac, .wma, .amr, .webm, .wav, ...).
bool isDropFolderAudioName(const std::string& fileName);
// Those extensions, lower case with the dot (".mp3", ...).
const std::vector<std::string>& audioFileExtensions();
// Seconds a file in the LAN or e-mail folder must stay unmodified before it
// is taken, so that a copy still being written is never fetched half-made.
inline constexpr int64_t kDropAudioSettleSeconds = 5;

// `currentFolder` ends with '/'.
AudioImportResult importAudioFile(const std::string& path, const std::string& currentFolder,
                                  const StopTest& stop, const BlockReport& report = {});

}  // namespace typix
