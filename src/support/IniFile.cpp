#include "support/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "support/LFile.h"

namespace typix {

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or "" (last line without one)
};

// A file split into lines; joining them gives back the bytes read.
struct IniText {
    std::string bom;
    std::vector<Line> lines;

    std::string join() const {
        std::string out = bom;
        for (const Line& line : lines) out += line.text + line.end;
        return out;
    }
    std::string newline() const {
        for (const Line& line : lines)
            if (!line.end.empty()) return line.end;
        return "\n";
    }
};

IniText split(const std::string& content) {
    IniText text;
    size_t at = 0;
    if (content.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
        text.bom = kByteOrderMark;
        at = kByteOrderMark.size();
    }
    while (at < content.size()) {
        const size_t lf = content.find('\n', at);
        Line line;
        if (lf == std::string::npos) {
            line.text = content.substr(at);
            at = content.size();
        } else {
            const bool crlf = lf > at && content[lf - 1] == '\r';
            line.text = content.substr(at, lf - at - (crlf ? 1 : 0));
            line.end = crlf ? "\r\n" : "\n";
            at = lf + 1;
        }
        text.lines.push_back(std::move(line));
    }
    return text;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string trim(const std::string& s) {
    size_t first = 0, last = s.size();
    while (first < last && isBlank(s[first])) ++first;
    while (last > first && isBlank(s[last - 1])) --last;
    return s.substr(first, last - first);
}

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

// The section named by a "[name]" line, or false for any other line.
bool sectionOf(const std::string& text, std::string& name) {
    const std::string t = trim(text);
    if (t.empty() || t[0] != '[') return false;
    const size_t close = t.find(']');
    name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key of a "key=value" line; comment lines and lines without '=' have none.
bool keyOf(const std::string& text, std::string& key) {
    const std::string t = trim(text);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = trim(t.substr(0, eq));
    return true;
}

struct Place {
    long keyLine = -1;      // the line holding the key
    long sectionEnd = -1;   // where a new key of the first matching section goes
};

Place locate(const IniText& text, const std::string& section, const std::string& key) {
    Place place;
    bool inSection = false;
    bool firstSection = false;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        std::string name;
        if (sectionOf(text.lines[i].text, name)) {
            inSection = sameText(name, section);
            firstSection = inSection && place.sectionEnd < 0;
            if (firstSection) place.sectionEnd = static_cast<long>(i) + 1;
            continue;
        }
        if (!inSection || !keyOf(text.lines[i].text, name)) continue;
        if (firstSection) place.sectionEnd = static_cast<long>(i) + 1;
        if (sameText(name, key)) {
            place.keyLine = static_cast<long>(i);
            return place;
        }
    }
    return place;
}

std::string valueOf(const std::string& text) { return trim(text.substr(text.find('=') + 1)); }

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWhole(const std::string& path, std::string& content) {
    LReadFile file;
    if (!file.open(path)) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing
                                                                     : ReadResult::Failed;
    content.clear();
    char buffer[8192];
    for (;;) {
        const ssize_t got = file.read(buffer, sizeof buffer);
        if (got < 0) return ReadResult::Failed;
        content.append(buffer, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof buffer) return ReadResult::Ok;
    }
}

// The file a write replaces: a symbolic link is followed, so the link stays.
std::string writeTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Writes `content` to a temporary file beside `path`, makes it durable and
// renames it over `path`.  The old file stays untouched on any failure.
bool replaceFile(const std::string& path, const std::string& content, unsigned newMode) {
    const std::string target = writeTarget(path);
    struct stat info {};
    const unsigned mode = ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : newMode;
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
    size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t put = ::write(fd, content.data() + done, content.size() - done);
        if (put < 0 && errno == EINTR) continue;
        ok = put > 0;
        if (ok) done += static_cast<size_t>(put);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// Read-modify-write cycles of this process run one at a time, so two threads
// writing different keys of one file never lose each other's change.
std::mutex& writerMutex() {
    static std::mutex mutex;
    return mutex;
}

bool validName(const std::string& name, const char* forbidden) {
    return !trim(name).empty() && name.find_first_of(forbidden) == std::string::npos;
}

// A line break inside a value would end the line and start a forged key.
std::string oneLine(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

bool loadForChange(const std::string& path, IniText& text) {
    std::string content;
    const ReadResult result = readWhole(path, content);
    if (result == ReadResult::Failed) return false;
    text = split(content);
    return true;
}

}  // namespace

std::optional<std::string> iniRead(const std::string& path, const std::string& section,
                                   const std::string& key) {
    std::string content;
    if (readWhole(path, content) != ReadResult::Ok) return std::nullopt;
    const IniText text = split(content);
    const Place place = locate(text, trim(section), trim(key));
    if (place.keyLine < 0) return std::nullopt;
    std::string value = valueOf(text.lines[static_cast<size_t>(place.keyLine)].text);
    if (value.size() > kIniValueMax) value.resize(kIniValueMax);
    return value;
}

bool iniWrite(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value, unsigned fileMode) {
    if (!validName(section, "]\r\n") || !validName(key, "=\r\n")) return false;
    const std::string cleanKey = trim(key);
    if (cleanKey[0] == '[' || cleanKey[0] == ';' || cleanKey[0] == '#') return false;
    std::lock_guard<std::mutex> guard(writerMutex());
    IniText text;
    if (!loadForChange(path, text)) return false;
    const std::string clean = oneLine(value);
    const Place place = locate(text, trim(section), cleanKey);
    const std::string newline = text.newline();
    if (place.keyLine >= 0) {
        Line& line = text.lines[static_cast<size_t>(place.keyLine)];
        size_t keep = line.text.find('=') + 1;
        while (keep < line.text.size() && (line.text[keep] == ' ' || line.text[keep] == '\t')) ++keep;
        const std::string changed = line.text.substr(0, keep) + clean;
        // An unchanged value costs no rewrite (queue rebuilds rewrite every record).
        if (changed == line.text) return true;
        line.text = changed;
    } else {
        if (!text.lines.empty() && text.lines.back().end.empty()) text.lines.back().end = newline;
        const Line entry{cleanKey + "=" + clean, newline};
        if (place.sectionEnd >= 0) {
            text.lines.insert(text.lines.begin() + place.sectionEnd, entry);
        } else {
            text.lines.push_back(Line{"[" + trim(section) + "]", newline});
            text.lines.push_back(entry);
        }
    }
    return replaceFile(path, text.join(), fileMode);
}

bool iniRemove(const std::string& path, const std::string& section, const std::string& key) {
    std::lock_guard<std::mutex> guard(writerMutex());
    IniText text;
    if (!loadForChange(path, text)) return false;
    const Place place = locate(text, trim(section), trim(key));
    if (place.keyLine < 0) return true;
    text.lines.erase(text.lines.begin() + place.keyLine);
    return replaceFile(path, text.join(), 0644);
}

}  // namespace typix
