// The sendmail transport: one child process per message.
#include "transfer/SendmailTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace typix {

namespace {

bool isExecutable(const std::string& path) {
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

struct Child {
    pid_t pid = -1;
    int input = -1;   // our end of the child's standard input (a socket: no SIGPIPE)
    int output = -1;  // the child's standard output and error
    bool reaped = false;
    int status = 0;
};

// Starts the program; pid -1 when it could not be started.
Child startChild(const std::string& program) {
    Child child;
    int in[2], out[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return child;
    if (pipe2(out, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(in[0]);
        close(in[1]);
        return child;
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[1], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        fcntl(1, F_SETFL, 0);
        fcntl(2, F_SETFL, 0);
        execl(program.c_str(), program.c_str(), "-t", "-oi", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[1]);
    close(out[1]);
    if (pid < 0) {
        close(in[0]);
        close(out[0]);
        return child;
    }
    child.pid = pid;
    child.input = in[0];
    child.output = out[0];
    return child;
}

// Reads what the child wrote so far; false once the output is closed.
bool drainOutput(Child& child, std::string& output) {
    char buffer[4096];
    for (;;) {
        ssize_t n = read(child.output, buffer, sizeof buffer);
        if (n > 0) {
            if (output.size() < 16384) output.append(buffer, size_t(n));
            continue;
        }
        if (n < 0 && (errno == EINTR)) continue;
        if (n < 0 && errno == EAGAIN) return true;
        close(child.output);
        child.output = -1;
        return false;
    }
}

// Feeds the message and collects the output until the child ends (or closes
// its output) or the time is up.  A program that leaves a helper holding its
// output open is not waited for beyond its own exit.  False on time-out or
// when `cancel` asked to stop.
bool exchange(Child& child, const std::string& message, std::string& output,
              const MailCancel& cancel) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::seconds(SendmailTransport::kTimeoutSeconds);
    size_t written = 0;
    if (message.empty()) shutdown(child.input, SHUT_WR);
    while (child.output >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || (cancel && cancel())) return false;
        pollfd fds[2] = {{child.output, POLLIN, 0}, {child.input, POLLOUT, 0}};
        int count = written < message.size() && child.input >= 0 ? 2 : 1;
        int wait = static_cast<int>(std::min<long long>(left.count(), 200));
        if (poll(fds, count, wait) < 0 && errno != EINTR) return false;
        if (count == 2 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = ::send(child.input, message.data() + written, message.size() - written,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) written += size_t(n);
            // A child that stopped reading ends the feeding; its status tells.
            if (n < 0 && errno != EAGAIN && errno != EINTR) written = message.size();
            if (written == message.size()) shutdown(child.input, SHUT_WR);
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) drainOutput(child, output);
        if (waitpid(child.pid, &child.status, WNOHANG) == child.pid) {
            child.reaped = true;
            if (child.output >= 0) drainOutput(child, output);
            return true;
        }
    }
    return true;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

std::string SendmailTransport::findProgram() {
    if (const char* named = std::getenv("TYPIX_SENDMAIL"); named && isExecutable(named))
        return named;
    for (const char* path : {"/usr/sbin/sendmail", "/usr/lib/sendmail"})
        if (isExecutable(path)) return path;
    return "";
}

MailSendResult SendmailTransport::send(const std::string&, const std::string&,
                                       const std::string& message, const MailCancel& cancel) {
    MailSendResult result;
    Child child = startChild(program_);
    if (child.pid < 0) {
        result.error = "The mail program " + program_ + " could not be started.";
        return result;
    }
    std::string output;
    bool finished = exchange(child, message, output, cancel);
    if (child.input >= 0) close(child.input);
    if (child.output >= 0) close(child.output);
    if (!finished) kill(child.pid, SIGKILL);
    int status = child.status;
    if (!child.reaped) {
        while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (finished && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.sent = true;
        return result;
    }
    if (!finished && cancel && cancel()) {
        result.cancelled = true;
        result.error = "Sending was cancelled; the mail was not handed over.";
    } else if (!finished) {
        result.error = "The mail program " + program_ + " did not finish in time.";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 127 && output.empty()) {
        result.error = "The mail program " + program_ + " could not be run.";
    } else {
        result.error = "The mail program " + program_ + " did not accept the mail";
        output = trimmed(output);
        result.error += output.empty() ? "." : ": " + output;
    }
    return result;
}

}  // namespace typix
