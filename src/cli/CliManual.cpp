#include "cli/CliManual.h"

#include <sstream>
#include <vector>

namespace typix::cli {

namespace {

// Inline escapes to plain characters; `joinNext` is set by a trailing \c.
std::string plainText(const std::string& line, bool* joinNext) {
    std::string out;
    *joinNext = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        const char next = line[++i];
        switch (next) {
            case 'f':  // font change: \fB, \f(XX or \f[NAME]
                if (i + 1 < line.size() && line[i + 1] == '(') i += 3;
                else if (i + 1 < line.size() && line[i + 1] == '[') i = line.find(']', i);
                else ++i;
                if (i == std::string::npos) i = line.size();
                break;
            case '(':  // two-letter special character
                out += line.compare(i + 1, 2, "em") == 0 ? "--" : "-";
                i += 2;
                break;
            case '-': out += '-'; break;
            case 'e':
            case '\\': out += '\\'; break;
            case ' ': out += ' '; break;
            case '&': break;
            case 'c': *joinNext = true; break;
            default: out += next; break;
        }
    }
    return out;
}

// Arguments of a macro line: blank-separated words, double quotes group.
std::vector<std::string> macroArguments(const std::string& rest) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : rest) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// A source line as text: font macros join their arguments (with blanks for
// .B and .I, without for the alternating ones); other requests give nothing.
std::string lineText(const std::string& line, bool* joinNext) {
    *joinNext = false;
    if (line.empty() || (line[0] != '.' && line[0] != '\'')) return plainText(line, joinNext);
    const size_t space = line.find(' ');
    const std::string macro = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    const bool single = macro == "B" || macro == "I";
    const bool alternating = macro == "BR" || macro == "RB" || macro == "BI" || macro == "IB" ||
                             macro == "IR" || macro == "RI";
    if (!single && !alternating) return "";
    std::string joined;
    for (const std::string& word : macroArguments(rest)) {
        if (single && !joined.empty()) joined += ' ';
        joined += word;
    }
    return plainText(joined, joinNext);
}

void appendWords(std::string& paragraph, const std::string& text, bool glued) {
    if (text.empty()) return;
    if (!paragraph.empty() && !glued) paragraph += ' ';
    paragraph += text;
}

std::string wrapped(const std::string& paragraph, const std::string& indent, int width) {
    std::istringstream words(paragraph);
    std::string out, line, word;
    while (words >> word) {
        if (!line.empty() && int(indent.size() + line.size() + 1 + word.size()) > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) out += indent + line + "\n";
    return out;
}

bool isBreak(const std::string& line) {
    return line.rfind(".TP", 0) == 0 || line.rfind(".SH", 0) == 0 || line.rfind(".SS", 0) == 0;
}

}  // namespace

std::string manualEntries(const std::string& page, const std::string& command, int width) {
    std::vector<std::string> lines;
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);) lines.push_back(line);

    std::string result;
    bool inCommands = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(".SH", 0) == 0) inCommands = lines[i].find("COMMANDS") != std::string::npos;
        if (!inCommands || lines[i].rfind(".TP", 0) != 0 || i + 1 >= lines.size()) continue;
        bool glued = false;
        const std::string tag = lineText(lines[++i], &glued);
        if (tag.substr(0, tag.find(' ')) != command) continue;
        std::string paragraph;
        bool joinNext = false;
        for (; i + 1 < lines.size() && !isBreak(lines[i + 1]); ++i) {
            const bool gluedToLast = joinNext;
            appendWords(paragraph, lineText(lines[i + 1], &joinNext), gluedToLast);
        }
        if (!result.empty()) result += "\n";
        result += tag + "\n" + wrapped(paragraph, "    ", width);
    }
    return result;
}

}  // namespace typix::cli
