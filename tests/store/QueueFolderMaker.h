#pragma once
// Makes a Current Files folder of many dictations for the queue's tests and
// benchmark, fast (plain writes, no syncing).  The records vary the way real
// ones do: Low/Normal/High priorities and a few odd spellings ("high", empty,
// missing), dates that tie and dates below the earliest key, CR LF and LF
// files, quoted values, a name that is not UTF-8, some records without a
// status, some already holding a place, and some dictations with no record.
// The audio files are stubs: the queue never opens them.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace typix::test {

inline bool writeStub(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return (::close(fd) == 0) && ok;
}

inline std::string queueDictationBase(int index) {
    char base[32];
    std::snprintf(base, sizeof base, "dct%.5d-%.5d", index % 97, index);
    return base;
}

// The record text of dictation `index` ("" for one without a record).
inline std::string queueRecordText(int index, int count) {
    if (index % 53 == 7) return "";
    static const char* const kPriorities[] = {"Normal", "Low", "High", "Normal", "high", ""};
    const unsigned mix = static_cast<unsigned>(index) * 2654435761u;
    const char* newline = index % 3 == 0 ? "\r\n" : "\n";
    // Dates in a window of a few weeks, every eleventh one tied to its neighbour.
    int date = 1700000000 + static_cast<int>(mix % 3000000u);
    if (index % 11 == 0) date = 1700000000 + (index / 11) * 600;
    if (index % 101 == 5) date = 1000;  // below the earliest key
    std::string text = std::string("[file]") + newline;
    const auto add = [&](const std::string& key, const std::string& value) {
        text += key + "=" + value + newline;
    };
    add("senderid", std::to_string(index % 97));
    add("number", std::to_string(index));
    if (index % 17 == 3) add("name", "\"Quoted letter " + std::to_string(index) + "\"");
    else if (index % 29 == 4) add("name", "M\xfcller " + std::to_string(index));
    else add("name", "Letter " + std::to_string(index));
    add("date", std::to_string(date));
    if (index % 7 != 6) add("priority", kPriorities[mix % 6u]);
    if (index % 5 == 1) add("status", "Received");
    else if (index % 5 == 2) add("status", "List " + std::to_string(index + 1) + " of " + std::to_string(count));
    add("sendername", "Sender " + std::to_string(index % 97));
    return text;
}

// Fills `folder` (ending with '/', existing) with dictations 0 .. count-1.
inline bool makeQueueFolder(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string base = folder + queueDictationBase(i);
        if (!writeStub(base + ".wav", "RIFF")) return false;
        const std::string record = queueRecordText(i, count);
        if (!record.empty() && !writeStub(base + ".dat", record)) return false;
    }
    return true;
}

}  // namespace typix::test
