#pragma once
// One FTP session over libcurl, used by the incoming transfer thread only.
//
// Contract: a FileTransfer and its DirIterator belong to one thread.  Every
// operation reports failure through its result and leaves the object in a
// state that close() (or the destructor) cleans up; nothing throws and nothing
// is shown to the user.  The session never blocks for long: connecting gives
// up after 15 s, a server that stops answering or sending is dropped after
// 20 s, and the stop predicate (checked several times a second while a command
// or a transfer runs) aborts the current operation at once.
//
// Server forms accepted by connect(): "host", "host:port", "ftp://host[:port]"
// (TLS used when the server offers it) and "ftps://host[:port]" (TLS required;
// explicit AUTH TLS on the given port, 21 by default).  An empty user name logs
// in anonymously.  Transfers are binary and passive.
#include <functional>
#include <string>
#include <vector>

namespace typix {

class FileTransfer {
public:
    using StopPredicate = std::function<bool()>;

    FileTransfer();
    ~FileTransfer();
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // Checked during every network operation; true aborts it (result false).
    void setStopPredicate(StopPredicate stop) { stop_ = std::move(stop); }

    // Prepares the session (the library handle).  True when it is usable.
    bool open();
    // Releases the session and the connection.  Safe to call at any time.
    void close();
    // Logs in to `server` (forms above).  Closes an earlier connection first.
    // Needs open(); false on an empty server, a refused login or no answer.
    bool connect(const std::string& server, const std::string& user = "",
                 const std::string& password = "");
    // Changes the remote current directory ("" or "/" keep the login folder;
    // a leading '/' makes the path absolute).  False when it does not exist.
    bool setDirectory(const std::string& dir);
    // Downloads `remote` (a name in the current directory) to `local`.  The
    // data goes to a temporary file beside `local` that replaces `local` only
    // when the whole file arrived, so a dropped connection leaves no partial
    // file; an existing `local` is overwritten then.
    bool getFile(const std::string& remote, const std::string& local);
    // Uploads `local` under the name `remote` in the current directory.
    bool putFile(const std::string& local, const std::string& remote);
    bool deleteFile(const std::string& remote);

    bool isOpen() const { return curl_ != nullptr; }
    bool isConnected() const { return !baseUrl_.empty(); }
    // The libcurl message of the last failure ("" when none), for reports.
    const std::string& lastError() const { return lastError_; }

    // One listing of the current directory, filtered by a wildcard pattern
    // ('*' and '?', letter case ignored).  The caller's loop is:
    //   for (it.first(ft, "*.dct"); it.valid(); it.next()) use(it.name());
    class DirIterator {
    public:
        // Lists the directory; false (and no entry) without a connection,
        // when the listing fails, or when nothing matches.
        bool first(FileTransfer& transfer, const std::string& pattern);
        bool valid() const { return index_ < names_.size(); }
        // The current remote name, "" when the listing is finished.
        std::string name() const { return valid() ? names_[index_] : std::string(); }
        void next() { if (valid()) ++index_; }

    private:
        std::vector<std::string> names_;
        size_t index_ = 0;
    };

private:
    friend class DirIterator;
    struct Request;
    bool perform(Request& request);
    std::string directoryUrl() const;
    std::string fileUrl(const std::string& name) const;
    bool list(std::string& out);

    void* curl_ = nullptr;  // CURL*
    std::string baseUrl_;   // "ftp://host:port/" once connected
    std::string directory_; // escaped path below baseUrl_, ends with '/' or empty
    bool requireTls_ = false;
    std::string user_, password_;
    std::string lastError_;
    StopPredicate stop_;
};

// Splits "host", "host:port", "ftp://..." or "ftps://..." into a base URL
// ("ftp://host:port/") and whether TLS is required.  False for an empty or
// unusable server text.
bool parseFtpServer(const std::string& server, std::string& baseUrl, bool& requireTls);

}  // namespace typix
