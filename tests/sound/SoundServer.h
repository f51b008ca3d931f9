#pragma once
// A private sound server for tests: a user-mode PulseAudio daemon, or a
// PipeWire daemon with its PulseAudio protocol server, with one null sink, in
// a runtime folder of the test's own, reachable only through its own socket.  The test process is pointed at it through PULSE_SERVER,
// so ALSA's "pulse" PCM (and "default", which ALSA routes to a running
// server) plays into the null sink; a parec child records the sink's
// monitor into a raw file.  The daemons and the recorder are the only
// processes this starts and the only ones it stops.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace typix::test {

inline bool toolExists(const char* tool) {
    const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Starts `argv` with its output into `log` and `env` ("NAME=value") added
// to its environment; returns the child's pid.
inline pid_t spawn(const std::vector<std::string>& argv, const std::string& log,
                   const std::vector<std::string>& env = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& pair : env) putenv(const_cast<char*>(pair.c_str()));
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

inline void endChild(pid_t& pid, int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// What the playback tests need of a server; the recording and the
// environment are shared, the daemons differ.
class SoundServer {
public:
    static constexpr const char* kSink = "typixtest";

    virtual ~SoundServer() {
        stopRecording();
        if (previousServer_.empty()) {
            unsetenv("PULSE_SERVER");
        } else {
            setenv("PULSE_SERVER", previousServer_.c_str(), 1);
        }
        unsetenv("PULSE_CLIENTCONFIG");
    }
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    bool running() const { return ready_; }
    // Ends the daemons at once, as a crash would.
    virtual void kill() = 0;

    // Records the null sink's monitor (16-bit, the sink's rate and channels).
    void startRecording(const std::filesystem::path& raw) {
        recording_ = raw;
        recorder_ = spawn({"parec", "--raw", "--format=s16le", "--rate=" + std::to_string(rate_),
                           "--channels=" + std::to_string(channels_), "--latency-msec=20",
                           "-d", std::string(kSink) + ".monitor", raw.string()},
                          (folder_ / "parec.log").string());
        // parec writes nothing until its stream runs: wait for the file to grow.
        waitFor([&] { return fileSize(raw) > 0; }, 5.0);
    }
    // Frames the monitor recording holds so far.
    int64_t recordedFrames() const { return fileSize(recording_) / (2 * channels_); }
    // Waits a little for the monitor to catch up, then ends the recorder.
    void stopRecording() {
        if (recorder_ <= 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        endChild(recorder_, SIGINT);
    }

    // The null sink's volume as pactl prints it (the first channel's %).
    std::string sinkVolume() const {
        const std::filesystem::path out = folder_ / "volume.txt";
        const std::string command = "pactl get-sink-volume " + std::string(kSink) + " > '" +
                                    out.string() + "' 2>&1";
        if (std::system(command.c_str()) != 0) return {};
        std::ifstream in(out);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t percent = text.find('%');
        const size_t slash = text.rfind('/', percent);
        return percent == std::string::npos || slash == std::string::npos
                   ? text
                   : text.substr(slash + 1, percent - slash - 1);
    }

protected:
    // Points this process's PulseAudio clients (ALSA's pulse plugin, pactl,
    // parec) at `socket` and nowhere else.
    SoundServer(const std::filesystem::path& folder, int rate, int channels, const std::string& socket)
        : folder_(folder), rate_(rate), channels_(channels) {
        std::filesystem::create_directories(folder_ / "home");
        ::chmod(folder_.c_str(), 0700);
        {
            std::ofstream client(folder_ / "client.conf");
            client << "autospawn = no\n";
        }
        previousServer_ = getenvOr("PULSE_SERVER");
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        setenv("PULSE_CLIENTCONFIG", (folder_ / "client.conf").c_str(), 1);
    }
    // The environment of a daemon: its own runtime folder and home.
    std::vector<std::string> daemonEnvironment() const {
        return {"XDG_RUNTIME_DIR=" + folder_.string(), "HOME=" + (folder_ / "home").string(),
                "XDG_CONFIG_HOME=" + (folder_ / "home" / ".config").string()};
    }
    static bool answers() { return std::system("pactl info >/dev/null 2>&1") == 0; }

    static std::string getenvOr(const char* name) {
        const char* value = std::getenv(name);
        return value ? value : "";
    }
    static long fileSize(const std::filesystem::path& path) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        return ec ? 0 : static_cast<long>(size);
    }
    template <class Ready>
    static bool waitFor(Ready ready, double seconds) {
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(static_cast<int>(seconds * 1000));
        while (!ready()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    std::filesystem::path folder_;
    int rate_;
    int channels_;
    bool ready_ = false;

private:
    std::string previousServer_;
    pid_t recorder_ = -1;
    std::filesystem::path recording_;
};

// A user-mode PulseAudio daemon with the null sink.
class PulseServer : public SoundServer {
public:
    PulseServer(const std::filesystem::path& folder, int rate, int channels)
        : SoundServer(folder, rate, channels, (folder / "native").string()) {
        daemon_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--use-pid-file=no",
                         "--exit-idle-time=-1", "--disable-shm=yes", "--log-target=stderr",
                         "-L", "module-native-protocol-unix auth-anonymous=1 socket=" +
                                   (folder_ / "native").string(),
                         "-L", "module-null-sink sink_name=" + std::string(kSink) + " rate=" +
                                   std::to_string(rate_) + " channels=" + std::to_string(channels_)},
                        (folder_ / "daemon.log").string(), daemonEnvironment());
        ready_ = waitFor(answers, 10.0);
    }
    ~PulseServer() override {
        stopRecording();
        endChild(daemon_, SIGTERM);
    }
    void kill() override { endChild(daemon_, SIGKILL); }

private:
    pid_t daemon_ = -1;
};

// A PipeWire daemon with its session manager and its PulseAudio protocol
// server, on a private session bus, its graph clocked at the sink's rate (so
// nothing is resampled), and the null sink loaded through that protocol.
class PipeWireServer : public SoundServer {
public:
    PipeWireServer(const std::filesystem::path& folder, int rate, int channels)
        : SoundServer(folder, rate, channels, (folder / "pulse" / "native").string()) {
        const std::filesystem::path conf = folder_ / "home" / ".config" / "pipewire" / "pipewire.conf.d";
        std::filesystem::create_directories(conf);
        std::ofstream(conf / "rate.conf") << "context.properties = { default.clock.rate = " << rate
                                          << " default.clock.allowed-rates = [ " << rate << " ] }\n";
        const std::string bus = "unix:path=" + (folder_ / "bus").string();
        std::vector<std::string> env = daemonEnvironment();
        env.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus);
        const std::string log = (folder_ / "daemon.log").string();
        bus_ = spawn({"dbus-daemon", "--session", "--nofork", "--address=" + bus}, log, env);
        waitFor([&] { return std::filesystem::exists(folder_ / "bus"); }, 5.0);
        pipewire_ = spawn({"pipewire"}, log, env);
        waitFor([&] { return std::filesystem::exists(folder_ / "pipewire-0"); }, 5.0);
        session_ = spawn({"wireplumber"}, log, env);
        pulse_ = spawn({"pipewire-pulse"}, log, env);
        if (!waitFor(answers, 15.0)) return;
        const std::string load = "pactl load-module module-null-sink sink_name=" + std::string(kSink) +
                                 " rate=" + std::to_string(rate) + " channels=" + std::to_string(channels) +
                                 " format=s16le >/dev/null 2>&1 && pactl set-default-sink " + kSink;
        // The session manager may still be starting: try the load again.
        ready_ = waitFor([&] { return std::system(load.c_str()) == 0; }, 10.0) &&
                 waitFor([] { return std::system("pactl list short sinks | grep -q typixtest") == 0; }, 5.0);
    }
    ~PipeWireServer() override {
        stopRecording();
        endChild(pulse_, SIGTERM);
        endChild(session_, SIGTERM);
        endChild(pipewire_, SIGTERM);
        endChild(bus_, SIGTERM);
    }
    void kill() override {
        endChild(pulse_, SIGKILL);
        endChild(pipewire_, SIGKILL);
    }

    static bool available() {
        return toolExists("pipewire") && toolExists("wireplumber") && toolExists("pipewire-pulse") &&
               toolExists("dbus-daemon");
    }

private:
    pid_t bus_ = -1;
    pid_t pipewire_ = -1;
    pid_t session_ = -1;
    pid_t pulse_ = -1;
};

}  // namespace typix::test
