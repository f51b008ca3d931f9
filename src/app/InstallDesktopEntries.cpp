#include "app/InstallDesktopEntries.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/InstallLocations.h"
#include "app/InstallSystemTools.h"
#include "support/IniFile.h"
#include "support/LFile.h"

namespace typix {

namespace {

std::string entryCommon() {
    return "Type=Application\n"
           "Version=1.4\n"
           "Terminal=false\n";
}

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string quoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    std::string exec;
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) exec += '\\';
        exec += c;
        if (c == '%') exec += '%';
    }
    if (quote) exec = '"' + exec + '"';
    // The entry's string escaping comes on top of the Exec quoting.
    std::string value;
    for (char c : exec) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

std::string programDesktopEntry(const std::string& programFile) {
    return "[Desktop Entry]\n" + entryCommon() +
           "Name=Korvel Typix\n"
           "GenericName=Transcription Player\n"
           "Comment=Play dictations and type them in one window\n"
           "Exec=" + quoteExecArgument(programFile) + " %f\n"
           "Icon=" + kIconName + "\n"
           "Categories=AudioVideo;Audio;Player;\n"
           "MimeType=" + kDictationMimeType + ";\n"
           "Keywords=dictation;transcription;typing;foot pedal;\n"
           "StartupNotify=true\n";
}

std::string helpDesktopEntry(const std::string& helpFile) {
    return "[Desktop Entry]\n" + entryCommon() +
           "Name=Korvel Typix Help\n"
           "Comment=How to use Korvel Typix\n"
           "Exec=xdg-open " + quoteExecArgument(helpFile) + "\n"
           "Icon=help-browser\n"
           "Categories=AudioVideo;Audio;Player;\n";
}

std::string dictationMimeXml() {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") + kDictationMimeType + "\">\n"
           "    <comment>Korvel Dictation File</comment>\n"
           "    <icon name=\"" + kIconName + "\"/>\n"
           "    <glob pattern=\"*.dct\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

bool writeTextFile(const std::string& path, const std::string& text, unsigned mode) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const std::string temporary = path + ".part";
    LWriteFile out;
    bool written = out.create(temporary, mode) &&
                   out.write(text.data(), text.size()) == static_cast<ssize_t>(text.size());
    out.close();
    if (written) {
        // The mode given at creation is filtered by the umask; launchers need theirs exactly.
        std::filesystem::permissions(temporary, std::filesystem::perms(mode), error);
        if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
}

std::string launchCommand(const InstallLocations& at) {
    std::error_code error;
    if (!at.binLink.empty() && std::filesystem::read_symlink(at.binLink, error) == at.programFile())
        return at.binLink;
    return at.programFile();
}

bool writeMenuEntries(const InstallLocations& at) {
    const bool program = writeTextFile(at.menuEntry(), programDesktopEntry(launchCommand(at)));
    const bool help = writeTextFile(at.helpMenuEntry(), helpDesktopEntry(at.helpFile()));
    return program && help;
}

bool writeDesktopLauncher(const InstallLocations& at) {
    if (at.desktopFolder.empty()) return false;
    // Desktops start only launchers that are executable.
    return writeTextFile(at.launcher(), programDesktopEntry(launchCommand(at)), 0755);
}

bool writePngIcons(const InstallLocations& at, const std::vector<std::pair<int, std::string>>& pngs) {
    bool ok = true;
    for (const auto& [size, png] : pngs) ok = !png.empty() && writeTextFile(at.pngIcon(size), png) && ok;
    return ok;
}

bool writeDictationAssociation(const InstallLocations& at, const std::string& iconSvg) {
    bool ok = writeTextFile(at.mimePackage(), dictationMimeXml());
    if (!iconSvg.empty()) ok = writeTextFile(at.scalableIcon(), iconSvg) && ok;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(at.mimeappsList).parent_path(), error);
    for (const char* section : {"Default Applications", "Added Associations"}) {
        ok = iniWrite(at.mimeappsList, section, kDictationMimeType, std::string(kDesktopId) + ";") &&
             ok;
    }
    return ok;
}

int removeStaleLaunchers(const std::string& desktopFolder) {
    if (desktopFolder.empty()) return 0;
    int removed = 0;
    for (FolderIterator it(desktopFolder + "/*.desktop"); it.valid(); it.next()) {
        if (it.isDirectory()) continue;
        const std::string name = upperCase(it.name());
        for (const char* sibling : kSiblingProgramNames) {
            if (name.find(sibling) == std::string::npos) continue;
            if (std::remove(it.path().c_str()) == 0) ++removed;
            break;
        }
    }
    return removed;
}

void refreshDesktopCaches(const InstallLocations& at) {
    runToolIfPresent("update-desktop-database", {"-q", at.applicationsFolder});
    std::error_code error;
    if (std::filesystem::is_directory(at.mimeFolder + "/packages", error))
        runToolIfPresent("update-mime-database", {at.mimeFolder});
}

}  // namespace typix
