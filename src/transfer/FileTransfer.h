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
// Server forms accepted by connect():
//  - "host" or "host:port": TLS (AUTH TLS) when the server offers it, with its
//    certificate verified; plain FTP only when the server offers no TLS;
//  - "ftp://host[:port]": plain FTP, as the user chose it;
//  - "ftps://host[:port]": implicit TLS (port 990 by default).
// A certificate that cannot be verified ends the connection before the user
// name is sent; lastError() names the problem and peerFingerprint() gives the
// certificate's SHA-256 fingerprint, which setTrustedFingerprint() accepts as
// the one certificate to trust for this server.  An empty user name logs in
// anonymously; blanks in the user name and password are sent as they are.
// Transfers are binary and passive, driven through libcurl's multi interface
// with a short wait, so no transfer sits idle on a library time-out.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace typix {

enum class FtpSecurity {
    Plain,         // ftp://: no TLS at all
    TlsIfOffered,  // bare host: AUTH TLS when offered, verified
    ImplicitTls,   // ftps://: TLS from the first byte
};

class FileTransfer {
public:
    using StopPredicate = std::function<bool()>;

    FileTransfer();
    ~FileTransfer();
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // Checked during every network operation; true aborts it (result false).
    void setStopPredicate(StopPredicate stop) { stop_ = std::move(stop); }
    // The SHA-256 fingerprint (hex, ':' and letter case ignored) of a server
    // certificate to accept although it cannot be verified.  "" for none.
    void setTrustedFingerprint(const std::string& fingerprint);

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
    // The size in bytes and modification time (seconds since 1970) of
    // `remote`; -1 for what the server does not tell.  False when the file
    // cannot be examined.
    bool fileInfo(const std::string& remote, int64_t& size, int64_t& time);

    bool isOpen() const { return curl_ != nullptr; }
    bool isConnected() const { return !baseUrl_.empty(); }
    // What went wrong in the last failed operation ("" when none), for
    // reports: the server's own reply where it gave one.
    const std::string& lastError() const { return lastError_; }
    // True when the last failure lost the connection or never had one (the
    // session is over), false for a refusal of one file or command.
    bool lastFailureEndedSession() const { return sessionLost_; }
    // True when the last failure was a server certificate that could not be
    // verified; peerFingerprint() then names that certificate.
    bool lastFailureIsCertificate() const { return certificateFailed_; }
    // "AB:CD:..." of the server certificate last seen, "" before any TLS.
    const std::string& peerFingerprint() const { return peerFingerprint_; }
    // Whether the session is encrypted (known after connect()).
    bool isEncrypted() const { return encrypted_; }

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
    int runToEnd();  // CURLcode
    void describeFailure(int code, const char* detail);
    std::string directoryUrl() const;
    std::string fileUrl(const std::string& name) const;
    bool list(std::string& out);

    void* curl_ = nullptr;   // CURL*
    void* multi_ = nullptr;  // CURLM*, owns the connection between requests
    std::string baseUrl_;    // "ftp://host:port/" once connected
    std::string directory_;  // escaped path below baseUrl_, ends with '/' or empty
    FtpSecurity security_ = FtpSecurity::TlsIfOffered;
    std::string user_, password_;
    std::string lastError_;
    std::string lastReply_;  // the server's last reply line
    bool sessionLost_ = false;
    bool certificateFailed_ = false;
    bool encrypted_ = false;
    std::string trusted_;          // normalised fingerprint, "" for none
    std::string peerFingerprint_;  // written by the TLS verify callback
    StopPredicate stop_;

public:
    // For the TLS callbacks of the implementation file only.
    struct TlsHooks;
    friend struct TlsHooks;
};

// Splits "host", "host:port", "ftp://..." or "ftps://..." into a base URL
// ("ftp://host:port/" or "ftps://host:port/") and the security it asks for.
// False for an empty or unusable server text.
bool parseFtpServer(const std::string& server, std::string& baseUrl, FtpSecurity& security);

// "AB:CD:..." -> "abcd...": the form fingerprints are compared in.
std::string normaliseFingerprint(const std::string& text);

}  // namespace typix
