// typixctl commands of the application shell: folders, settings.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Startup.h"
#include "cli/CliCommand.h"

namespace typix::cli {

namespace {

int runFolders(int argc, char**) {
    if (argc != 1) {
        std::fprintf(stderr, "typixctl folders: takes no arguments\n");
        return 2;
    }
    const FolderPaths& paths = startProgram().paths();
    const std::pair<const char*, const std::string*> lines[] = {
        {kProgramFilesValue, &paths.programFolder},   {kDataFilesValue, &paths.dataFolder},
        {kCurrentFilesValue, &paths.currentFiles},    {kDoneFilesValue, &paths.doneFiles},
        {kIncomingFilesValue, &paths.incomingFiles},  {kStatusValue, &paths.statusFolder},
    };
    for (const auto& [name, path] : lines) std::printf("%s=%s\n", name, path->c_str());
    return 0;
}

int settingsUsage() {
    std::fprintf(stderr,
                 "usage: typixctl settings get KEY | typixctl settings set KEY VALUE | "
                 "typixctl settings list\n");
    return 2;
}

const SettingKey* keyOrComplain(const char* name) {
    const SettingKey* key = findSettingKey(name);
    if (!key) std::fprintf(stderr, "typixctl settings: unknown key '%s' (see typixctl settings list)\n", name);
    return key;
}

int runSettings(int argc, char** argv) {
    if (argc < 2) return settingsUsage();
    const std::string action = argv[1];
    Settings& store = startProgram();
    if (action == "list" && argc == 2) {
        for (const SettingKey& key : settingKeys())
            std::printf("%s=%s\n", key.name, store.valueText(key).c_str());
        return 0;
    }
    if (action == "get" && argc == 3) {
        const SettingKey* key = keyOrComplain(argv[2]);
        if (!key) return 2;
        std::printf("%s\n", store.valueText(*key).c_str());
        return 0;
    }
    if (action == "set" && argc == 4) {
        const SettingKey* key = keyOrComplain(argv[2]);
        if (!key) return 2;
        std::string error;
        if (!store.setValueText(*key, argv[3], &error)) {
            std::fprintf(stderr, "typixctl settings set %s: %s\n", key->name, error.c_str());
            return error.rfind("could not write", 0) == 0 ? 1 : 2;
        }
        store.flush();
        return 0;
    }
    return settingsUsage();
}

const CliRegistrar folders({"folders",
                            "  folders                  the six data folders, one NAME=PATH a line",
                            runFolders});
const CliRegistrar settingsCommand(
    {"settings",
     "  settings get KEY         a setting's value (integers and levels in decimal,\n"
     "                           flags true/false, text as is)\n"
     "  settings set KEY VALUE   writes a setting with its key's encoding\n"
     "  settings list            every setting with its value",
     runSettings});

}  // namespace

}  // namespace typix::cli
