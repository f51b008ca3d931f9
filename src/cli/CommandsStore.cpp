// typixctl commands of the dictation store: queue, done, delete, recover.
#include <cstdio>
#include <string>

#include "app/Startup.h"
#include "cli/CliCommand.h"
#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/DictationQueue.h"
#include "store/DictationRecord.h"
#include "transfer/Status.h"

namespace typix::cli {

namespace {

int runQueue(int argc, char**) {
    if (argc != 1) {
        std::fprintf(stderr, "typixctl queue: takes no arguments\n");
        return 2;
    }
    for (const QueueEntry& entry : rebuildQueue(startProgram().currentFiles()))
        std::printf("%s\n", entry.text.c_str());
    // As after the window's rebuild, the senders' status files follow the new
    // queue; here the rebuild runs in this process rather than on a thread.
    statusThread().rebuild();
    return 0;
}

// The base name argument of done/delete/recover, or null after complaining.
const char* baseArgument(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0' || std::string(argv[1]).find('/') != std::string::npos) {
        std::fprintf(stderr, "usage: typixctl %s BASE (a dictation's base name, as in typixctl queue)\n",
                     argv[0]);
        return nullptr;
    }
    return argv[1];
}

int missing(const char* command, const char* base, const std::string& folder) {
    std::fprintf(stderr, "typixctl %s: no dictation '%s' in %s\n", command, base, folder.c_str());
    return 1;
}

int runDone(int argc, char** argv) {
    const char* base = baseArgument(argc, argv);
    if (!base) return 2;
    const Settings& store = startProgram();
    if (!fileExists(audioPath(store.currentFiles(), base))) return missing("done", base, store.currentFiles());
    if (!finishDictation(store.currentFiles(), store.doneFiles(), base, kStatusDone)) {
        std::fprintf(stderr, "typixctl done: could not move '%s' into %s\n", base, store.doneFiles().c_str());
        return 1;
    }
    return 0;
}

int runDelete(int argc, char** argv) {
    const char* base = baseArgument(argc, argv);
    if (!base) return 2;
    const Settings& store = startProgram();
    if (!deleteDictation(store.currentFiles(), base)) return missing("delete", base, store.currentFiles());
    return 0;
}

int runRecover(int argc, char** argv) {
    const char* base = baseArgument(argc, argv);
    if (!base) return 2;
    const Settings& store = startProgram();
    if (!fileExists(audioPath(store.doneFiles(), base))) return missing("recover", base, store.doneFiles());
    if (!recoverDictation(store.doneFiles(), store.currentFiles(), base)) {
        std::fprintf(stderr, "typixctl recover: '%s' already exists in %s; nothing was overwritten\n", base,
                     store.currentFiles().c_str());
        return 1;
    }
    return 0;
}

const CliRegistrar queue({"queue",
                          "  queue                    rebuilds the typing queue (writing each record's\n"
                          "                           place and the status files) and prints it in order",
                          runQueue});
const CliRegistrar done({"done", "  done BASE                marks a dictation Done and moves it to Done Files",
                         runDone});
const CliRegistrar remove({"delete", "  delete BASE              deletes a dictation for good", runDelete});
const CliRegistrar recover({"recover",
                            "  recover BASE             moves a dictation from Done Files back into the queue",
                            runRecover});

}  // namespace

}  // namespace typix::cli
