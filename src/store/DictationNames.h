#pragma once
// Base names and file names of the dictation triple.  A dictation is base +
// ".wav" (the audio; the dictation exists exactly when this file does), base +
// ".dat" (its record) and base + ".txt" (its typing), all in one folder.
// Folder paths end with '/', so names are formed by plain concatenation.
#include <string>

namespace typix {

inline constexpr const char* kAudioExtension = ".wav";
inline constexpr const char* kRecordExtension = ".dat";
inline constexpr const char* kTypingExtension = ".txt";
// Records and typing hold the sender's details and the letter text: the
// program creates them readable by their owner only.  A file that exists
// keeps its mode when it is rewritten.
inline constexpr unsigned kPrivateFileMode = 0600;

// "dct%.5ld-%.5ld": dct00012-00345 for sender 12, package number 345.
std::string packageBaseName(long senderId, long number);
// "Tape %.ld" with the dictaphone tape counter: "Tape 7".
std::string tapeBaseName(long counter);

inline std::string audioPath(const std::string& folder, const std::string& base) {
    return folder + base + kAudioExtension;
}
inline std::string recordPath(const std::string& folder, const std::string& base) {
    return folder + base + kRecordExtension;
}
inline std::string typingPath(const std::string& folder, const std::string& base) {
    return folder + base + kTypingExtension;
}

}  // namespace typix
