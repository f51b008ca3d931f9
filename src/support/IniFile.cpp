#include "support/IniFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <mutex>
#include <vector>

#include "support/LFile.h"

namespace typix {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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
    std::vector<std::string_view> views() const {
        std::vector<std::string_view> out;
        out.reserve(lines.size());
        for (const Line& line : lines) out.emplace_back(line.text);
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
    if (std::string_view(content).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
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

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

// The section named by a "[name]" line, or false for any other line.
bool sectionOf(std::string_view line, std::string_view& name) {
    const std::string_view t = trim(line);
    if (t.empty() || t[0] != '[') return false;
    const size_t close = t.find(']');
    name = trim(t.substr(1, close == std::string_view::npos ? t.npos : close - 1));
    return true;
}

// The key of a "key=value" line; comment lines and lines without '=' have none.
bool keyOf(std::string_view line, std::string_view& key) {
    const std::string_view t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(t.substr(0, eq));
    return true;
}

std::string_view valueOf(std::string_view line) { return trim(line.substr(line.find('=') + 1)); }

bool isQuoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// Other programs write values in double quotes (ftpserver="ftp.example.org");
// one surrounding pair is not part of the value.
std::string_view unquoted(std::string_view value) {
    return isQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A value that itself begins and ends with a double quote gets one more pair,
// so that reading it back strips only that pair; so does a value with blanks
// at its ends (a password " x "), which survive only inside quotes.
std::string quotedForWrite(std::string value) {
    const bool blankEnds = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    return isQuoted(value) || blankEnds ? '"' + value + '"' : value;
}

struct Place {
    long keyLine = -1;      // the line holding the key
    long sectionEnd = -1;   // where a new key of the first matching section goes
};

// Finds the key in the first section of that name that has it.
Place locate(const std::vector<std::string_view>& lines, std::string_view section,
             std::string_view key) {
    Place place;
    bool inSection = false;
    bool firstSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (sectionOf(lines[i], name)) {
            inSection = sameText(name, section);
            firstSection = inSection && place.sectionEnd < 0;
            if (firstSection) place.sectionEnd = static_cast<long>(i) + 1;
            continue;
        }
        if (!inSection || !keyOf(lines[i], name)) continue;
        if (firstSection) place.sectionEnd = static_cast<long>(i) + 1;
        if (sameText(name, key)) {
            place.keyLine = static_cast<long>(i);
            return place;
        }
    }
    return place;
}

// The lines of a file read, without their ends and without a leading BOM.
std::vector<std::string_view> lineViews(std::string_view content) {
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        content.remove_prefix(kByteOrderMark.size());
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const size_t lf = content.find('\n');
        lines.push_back(content.substr(0, lf));
        content.remove_prefix(lf == std::string_view::npos ? content.size() : lf + 1);
    }
    return lines;
}

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

// Writes `content` to a temporary file beside `path`, makes it durable (unless
// it is derived data) and renames it over `path`.  The old file stays
// untouched on any failure.
bool replaceFile(const std::string& path, const std::string& content, unsigned newMode,
                 IniDurability durability = IniDurability::Durable) {
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
    if (durability == IniDurability::Durable) ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// Read-modify-write cycles run one at a time, so two writers of different keys
// of one file never lose each other's change: threads of this process take
// turns on a mutex, processes on a lock of the folder that holds the file
// (the file itself is replaced by each write, so it cannot carry the lock).
// Where the folder cannot be locked the cycle goes ahead unserialised.
class WriterTurn {
public:
    explicit WriterTurn(const std::string& path) : guard_(mutex()) {
        const std::string target = writeTarget(path);
        const size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd_ < 0) return;
        while (::flock(folderFd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~WriterTurn() {
        if (folderFd_ >= 0) ::close(folderFd_);  // closing releases the lock
    }
    WriterTurn(const WriterTurn&) = delete;
    WriterTurn& operator=(const WriterTurn&) = delete;

private:
    static std::mutex& mutex() {
        static std::mutex writers;
        return writers;
    }
    std::lock_guard<std::mutex> guard_;
    int folderFd_ = -1;
};

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

// Adds a key line at the end of its section, or the section at the end of the
// file, with the file's own line ends.
void addKey(IniText& text, const Place& place, std::string_view section, std::string line) {
    const std::string newline = text.newline();
    if (!text.lines.empty() && text.lines.back().end.empty()) text.lines.back().end = newline;
    Line entry{std::move(line), newline};
    if (place.sectionEnd >= 0) {
        text.lines.insert(text.lines.begin() + place.sectionEnd, std::move(entry));
        return;
    }
    // Appended piecewise: GCC 12 at -O3 misreads "[" + name + "]" (-Wrestrict).
    std::string header(1, '[');
    header.append(section).push_back(']');
    text.lines.push_back(Line{std::move(header), newline});
    text.lines.push_back(std::move(entry));
}

std::optional<std::string> valueIn(const std::vector<std::string_view>& lines,
                                   std::string_view section, std::string_view key) {
    const Place place = locate(lines, trim(section), trim(key));
    if (place.keyLine < 0) return std::nullopt;
    std::string value(unquoted(valueOf(lines[static_cast<size_t>(place.keyLine)])));
    if (value.size() > kIniValueMax) value.resize(kIniValueMax);
    return value;
}

}  // namespace

std::optional<std::string> iniRead(const std::string& path, const std::string& section,
                                   const std::string& key) {
    std::string content;
    if (readWhole(path, content) != ReadResult::Ok) return std::nullopt;
    return valueIn(lineViews(content), section, key);
}

std::vector<std::optional<std::string>> iniReadKeys(const std::string& path,
                                                    const std::string& section,
                                                    std::span<const std::string_view> keys) {
    std::vector<std::optional<std::string>> values(keys.size());
    std::string content;
    if (readWhole(path, content) != ReadResult::Ok) return values;
    const std::vector<std::string_view> lines = lineViews(content);
    for (size_t i = 0; i < keys.size(); ++i) values[i] = valueIn(lines, section, keys[i]);
    return values;
}

std::string iniValueAsWritten(const std::string& value) { return quotedForWrite(oneLine(value)); }

bool iniWrite(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value, unsigned fileMode, IniDurability durability) {
    if (!validName(section, "]\r\n") || !validName(key, "=\r\n")) return false;
    const std::string_view cleanKey = trim(key);
    if (cleanKey[0] == '[' || cleanKey[0] == ';' || cleanKey[0] == '#') return false;
    const WriterTurn turn(path);
    IniText text;
    if (!loadForChange(path, text)) return false;
    const Place place = locate(text.views(), trim(section), cleanKey);
    const std::string clean = iniValueAsWritten(value);
    if (place.keyLine >= 0) {
        // Only the value changes; the key's spelling and spacing stay.
        Line& line = text.lines[static_cast<size_t>(place.keyLine)];
        const size_t keep = line.text.find_first_not_of(" \t", line.text.find('=') + 1);
        const std::string changed = line.text.substr(0, std::min(keep, line.text.size())) + clean;
        // An unchanged value costs no rewrite (queue rebuilds rewrite every record).
        if (changed == line.text) return true;
        line.text = changed;
    } else {
        addKey(text, place, trim(section), std::string(cleanKey) + "=" + clean);
    }
    return replaceFile(path, text.join(), fileMode, durability);
}

bool iniRemove(const std::string& path, const std::string& section, const std::string& key) {
    const WriterTurn turn(path);
    IniText text;
    if (!loadForChange(path, text)) return false;
    const Place place = locate(text.views(), trim(section), trim(key));
    if (place.keyLine < 0) return true;
    text.lines.erase(text.lines.begin() + place.keyLine);
    return replaceFile(path, text.join(), 0644);
}

}  // namespace typix
