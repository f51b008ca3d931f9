// One FTP check with 200 packages of about 441 KB waiting on pure-ftpd on
// loopback, against a plain libcurl program fetching the same files over one
// connection in the same run.  Printed: the wall time of our fetch alone, of
// the whole pass (fetch, import into Current Files, delete on the host), and
// of the plain libcurl loop with its default (EPSV) passive mode and with
// PASV, each followed by the ratio to ours.
//
//   bench_ftp_fetch [COUNT]     (default 200)
#include <curl/curl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/LDatFile.h"
#include "transfer/BGLoad.h"
#include "transfer/FileTransfer.h"
#include "transfer/PureFtpServer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string name(int i) { return "p" + std::to_string(i) + ".dct"; }

// One 10 s, 22050 Hz, 16-bit mono package (441 KB), copied COUNT times with
// its own number in each copy.
bool fillHost(const std::string& host, const std::string& model, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string path = host + name(i);
        std::error_code error;
        fs::copy_file(model, path, fs::copy_options::overwrite_existing, error);
        if (error) return false;
        FILE* file = std::fopen(path.c_str(), "r+b");
        if (!file) return false;
        const unsigned char number[4] = {static_cast<unsigned char>(i), static_cast<unsigned char>(i >> 8), 0, 0};
        std::fseek(file, 14, SEEK_SET);
        std::fwrite(number, 1, 4, file);
        std::fclose(file);
        chown(path.c_str(), typix::test::PureFtpServer::kUid, typix::test::PureFtpServer::kUid);
    }
    return true;
}

size_t toFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

// The peer: one easy handle, one connection, one URL after another.
double plainCurl(const std::string& base, int count, const std::string& out, bool epsv) {
    CURL* curl = curl_easy_init();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        FILE* file = std::fopen((out + name(i)).c_str(), "wb");
        const std::string url = base + name(i);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_USERPWD, "typist:s3cret");
        curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, epsv ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, toFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
        if (curl_easy_perform(curl) != CURLE_OK) std::fprintf(stderr, "peer: %s failed\n", url.c_str());
        std::fclose(file);
    }
    const double seconds = secondsSince(start);
    curl_easy_cleanup(curl);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    std::string root = (fs::temp_directory_path() / "typix-ftp-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) return 1;
    root += "/";
    for (const char* folder : {"srv/in", "Incoming Files", "Current Files", "Done Files", "Status", "peer"})
        fs::create_directories(root + folder);
    const std::string host = root + "srv/in/";
    const std::string model = root + "model.dct";
    const std::string make = "python3 '" TYPIX_SOURCE_DIR "/tests/data/make_package.py' '" + model +
                             "' --tone 22050:1:10 >/dev/null";
    typix::test::PureFtpServer server(root + "srv/", {});
    if (!server.skipReason().empty() || std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "bench_ftp_fetch: %s\n",
                     server.skipReason().empty() ? "cannot make packages" : server.skipReason().c_str());
        fs::remove_all(root);
        return 1;
    }
    std::printf("%d packages of %lld bytes on pure-ftpd at %s\n", count,
                static_cast<long long>(fs::file_size(model)), server.address().c_str());

    // Ours, fetch alone: the FTP session of the incoming engine.
    fillHost(host, model, count);
    typix::FileTransfer ftp;
    auto start = Clock::now();
    bool ok = ftp.open() && ftp.connect(server.address(), "typist", "s3cret") && ftp.setDirectory("in");
    for (int i = 0; ok && i < count; ++i) ok = ftp.getFile(name(i), root + "peer/" + name(i));
    const double oursFetch = secondsSince(start);
    ftp.close();
    if (!ok) std::fprintf(stderr, "ours: fetch failed: %s\n", ftp.lastError().c_str());

    // Ours, the whole check: fetched, imported into Current Files, deleted.
    const typix::TransferFolders folders{root + "Incoming Files/", root + "Current Files/",
                                         root + "Done Files/", root + "Status/", root + "settings.ini"};
    typix::LDatFile settings(folders.settingsFile);
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, std::string>>{
             {"ftpcheck", "true"}, {"ftpinterval", "0"}, {"ftpserver", server.address()},
             {"ftpusername", "typist"}, {"ftppassword", "s3cret"}, {"ftpdir", "in"},
             {"ftpstatusupload", "false"}})
        settings.writeText("settings", key, value);
    typix::BGLoad load(folders);
    load.forceFtpCheck();
    start = Clock::now();
    typix::PassReport report = load.runPass();
    const double oursPass = secondsSince(start);
    std::printf("ours: fetch %.2f s, fetch + import + delete %.2f s (%zu imported%s%s)\n", oursFetch,
                oursPass, report.imports.size(), report.ftpError.empty() ? "" : ", ",
                report.ftpError.c_str());

    const std::string base = "ftp://" + server.address() + "/in/";
    fillHost(host, model, count);
    const double peerEpsv = plainCurl(base, count, root + "peer/", true);
    const double peerPasv = plainCurl(base, count, root + "peer/", false);
    std::printf("ratio ftp-fetch: ours %.2f s, libcurl (EPSV, its default) %.2f s, libcurl/ours %.2fx\n",
                oursFetch, peerEpsv, peerEpsv / oursFetch);
    std::printf("ratio ftp-fetch: ours %.2f s, libcurl (PASV) %.2f s, libcurl/ours %.2fx\n", oursFetch,
                peerPasv, peerPasv / oursFetch);
    fs::remove_all(root);
    return ok ? 0 : 1;
}
