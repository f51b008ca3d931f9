#include "transfer/KeptSources.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "transfer/DropFiles.h"

namespace typix {

// One line per source: size, a tab, time, a tab, the source (which holds no
// control characters: such names are never taken).
struct KeptSources::Entry {
    int64_t size = -1;
    int64_t time = -1;
    std::string source;
};

namespace {

bool parseLine(const std::string& line, int64_t& size, int64_t& time, std::string& source) {
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) return false;
    size = std::atoll(line.substr(0, first).c_str());
    time = std::atoll(line.substr(first + 1, second - first - 1).c_str());
    source = line.substr(second + 1);
    return true;
}

}  // namespace

std::string KeptSources::pathBeside(const std::string& settingsFile) {
    size_t slash = settingsFile.rfind('/');
    if (slash == std::string::npos) return {};
    return settingsFile.substr(0, slash + 1) + "undeleted-sources.txt";
}

bool KeptSources::find(const std::string& source, Entry& entry) const {
    if (path_.empty()) return false;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) {
        Entry e;
        if (parseLine(line, e.size, e.time, e.source) && e.source == source) {
            entry = e;
            return true;
        }
    }
    return false;
}

bool KeptSources::isRemembered(const std::string& source) const {
    Entry entry;
    return find(source, entry);
}

bool KeptSources::isUnchanged(const std::string& source, int64_t size, int64_t time) const {
    Entry entry;
    return find(source, entry) && entry.size == size && entry.time == time;
}

bool KeptSources::rewrite(const std::string& drop, const Entry* add) const {
    if (path_.empty()) return false;
    std::ostringstream text;
    {
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);) {
            Entry e;
            if (parseLine(line, e.size, e.time, e.source) && e.source != drop) text << line << '\n';
        }
    }
    if (add) text << add->size << '\t' << add->time << '\t' << add->source << '\n';
    const size_t slash = path_.rfind('/');
    const std::string temp = makeHiddenTemporary(path_.substr(0, slash + 1));
    if (temp.empty()) return false;
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool KeptSources::remember(const std::string& source, int64_t size, int64_t time) {
    if (source.find_first_of("\r\n") != std::string::npos) return false;
    Entry entry{size, time, source};
    return rewrite(source, &entry);
}

void KeptSources::forget(const std::string& source) {
    if (isRemembered(source)) rewrite(source, nullptr);
}

}  // namespace typix
