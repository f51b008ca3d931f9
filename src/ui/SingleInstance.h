#pragma once
// One running program per user.  The first instance listens on a local socket
// named after the user; a second start connects to it, hands over its joined
// command line (empty: only restore and raise the window) and ends.  The
// socket lies in the user's runtime folder (runtimeFolder(): never TMPDIR,
// which differs between a desktop session and a terminal) and is reachable by
// the user only.
//
// Wire form: a 4-byte big-endian length and that many bytes of path, exactly
// the bytes of the file name (UTF-8 or not: a name from an old share such as
// "M\xfcller.wav" must still name the same file);
// the first instance answers one byte once it has taken the request.  The
// length 0xFFFFFFFF, with nothing after it, asks the first instance to close
// (the installer and the remover do so before they replace its files).  The
// length 0xFFFFFFFE is a command for the window (`typix --command NAME`):
// one byte n (1 to 64) and n bytes of the command's name follow, and the
// answer is 'k' when the command ran or '?' when the window knows no such
// command.
// Interface thread only.
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace typix {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket's path: the runtime folder + "korvel-typix-" and the user id
    // (the bare name, placed by Qt, only when there is no runtime folder).
    static QString serverName();

    // Second start: hands `path` (bytes of a file name) to a running
    // instance.  True when one runs (this process should then end); false
    // when none answered.
    static bool handOver(const std::string& path, int timeoutMs = 3000);
    // Asks a running instance to close its window (and so save its typing and
    // end).  True when one answered.
    static bool requestClose(int timeoutMs = 3000);

    enum class CommandResult {
        Ran,         // the running window took the command
        Unknown,     // it runs but knows no such command
        NotRunning,  // no instance answered
    };
    // Sends command `name` to a running instance and waits for its answer.
    static CommandResult sendCommand(const QString& name, int timeoutMs = 3000);
    // What runs a command that arrives; answers whether the name is known.
    // Without a handler every command is unknown.
    void setCommandHandler(std::function<bool(const QString& name)> handler) {
        commandHandler_ = std::move(handler);
    }

    enum class ListenResult {
        Listening,            // this process is the first instance
        AnotherInstanceRuns,  // one started at the same moment and won the name
        Failed,               // no socket: the program runs without the hand-over
    };
    // First instance: starts listening, replacing a socket left behind by an
    // instance that died.
    ListenResult listen();

signals:
    // A second start asked for the window; `path` is empty or the bytes of
    // the name of a file to import.
    void requested(const QByteArray& path);
    // A later start (the installer or the remover) asked this instance to close.
    void closeRequested();

private:
    void accept();
    void readRequest(QLocalSocket* socket);
    bool readCommand(QLocalSocket* socket);
    static bool send(const QByteArray& message, int timeoutMs);

    QLocalServer* server_;
    std::function<bool(const QString&)> commandHandler_;
};

}  // namespace typix
