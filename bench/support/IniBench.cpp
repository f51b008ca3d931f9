// Reading and writing one key of a settings file the way the program does it:
// every access goes to the file (nothing cached between accesses).  The peer
// is QSettings in INI format, given a fresh object per access and synced after
// each write.  Rates are accesses per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QSettings>
#include <QString>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/IniFile.h"

namespace {

// A settings file like the program's own: one section of about 25 keys.
std::string makeSettingsFile(const char* name) {
    const char* base = std::getenv("TMPDIR");
    std::string path = std::string(base && *base ? base : "/tmp") + "/" + name + "-" +
                       std::to_string(::getpid()) + ".ini";
    std::ofstream out(path, std::ios::binary);
    out << "[settings]\n";
    for (int i = 0; i < 24; ++i) out << "key" << i << "=value number " << i << "\n";
    out << "slowspeed=50\n";
    return path;
}

void IniRead_ours(benchmark::State& state) {
    const std::string path = makeSettingsFile("ours-read");
    for (auto _ : state) benchmark::DoNotOptimize(typix::iniRead(path, "settings", "slowspeed"));
    state.SetItemsProcessed(state.iterations());
    ::unlink(path.c_str());
}

void IniRead_qsettings(benchmark::State& state) {
    const std::string path = makeSettingsFile("qt-read");
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        QSettings settings(file, QSettings::IniFormat);
        benchmark::DoNotOptimize(settings.value("settings/slowspeed").toString());
    }
    state.SetItemsProcessed(state.iterations());
    ::unlink(path.c_str());
}

void IniWrite_ours(benchmark::State& state) {
    const std::string path = makeSettingsFile("ours-write");
    int value = 0;
    for (auto _ : state) typix::iniWrite(path, "settings", "slowspeed", std::to_string(value++ % 200));
    state.SetItemsProcessed(state.iterations());
    ::unlink(path.c_str());
}

void IniWrite_qsettings(benchmark::State& state) {
    const std::string path = makeSettingsFile("qt-write");
    const QString file = QString::fromStdString(path);
    int value = 0;
    for (auto _ : state) {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue("settings/slowspeed", value++ % 200);
        settings.sync();
    }
    state.SetItemsProcessed(state.iterations());
    ::unlink(path.c_str());
}

}  // namespace

BENCHMARK(IniRead_ours)->Name("ini_read/ours");
BENCHMARK(IniRead_qsettings)->Name("ini_read/qsettings");
BENCHMARK(IniWrite_ours)->Name("ini_write/ours");
BENCHMARK(IniWrite_qsettings)->Name("ini_write/qsettings");
