#include "ui/QuitSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

namespace typix {

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGHUP, SIGINT};

// The write end of the pipe of the one live object; -1 without one.
volatile std::sig_atomic_t writeEnd = -1;

extern "C" void onQuitSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (writeEnd >= 0) {
        // A full pipe already holds a request; losing this one changes nothing.
        [[maybe_unused]] ssize_t written = ::write(writeEnd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
    installed_ = true;
}

QuitSignals::~QuitSignals() {
    release();
    if (!notifier_) return;
    delete notifier_;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void QuitSignals::release() {
    if (!installed_) return;
    installed_ = false;
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
    writeEnd = -1;
}

void QuitSignals::readPipe() {
    unsigned char bytes[16];
    ssize_t got;
    while ((got = ::read(pipe_[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < got; ++i) emit quitRequested(bytes[i]);
}

}  // namespace typix
