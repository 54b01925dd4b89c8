#include "adbd.h"

#include "companion.h"
#include "control.h"
#include "packet.h"
#include "phone.h"
#include "store.h"
#include "util.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace phonesim::adbd {

namespace {

// Sync DATA chunks are at most 64 KiB, in both directions.
constexpr uint32_t kSyncMaxData = 64 * 1024;
constexpr uint32_t kSyncMaxPath = 1024;
// What this device implements beyond the plain protocol: "cmd" makes the
// host install by streaming the package into "cmd package install -S".
// Not shell_v2 (the shell streams are raw), not stat_v2/ls_v2.
const std::vector<std::string> kFeatures = {"cmd"};
constexpr uint32_t kAuthToken = 1;
constexpr uint32_t kAuthSignature = 2;

int g_wake[2] = {-1, -1};

void OnSignal(int) {
    char c = 'q';
    [[maybe_unused]] ssize_t n = ::write(g_wake[1], &c, 1);
}

void Log(const char* fmt, const std::string& what) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    std::fprintf(stderr, "%02d:%02d:%02d.%03ld phonesim adbd: ", local.tm_hour, local.tm_min,
                 local.tm_sec, now.tv_nsec / 1000000);
    std::fprintf(stderr, fmt, what.c_str());
    std::fputc('\n', stderr);
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void PutWord(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

class Daemon;
class Stream;

// One connection of an adb server: its packets, the negotiated version and
// payload size, and the open streams by this device's id.
class Transport : public std::enable_shared_from_this<Transport> {
public:
    Transport(Daemon& daemon, int fd) : daemon_(daemon), fd_(fd) {}
    ~Transport() { ::close(fd_); }
    void Run();
    bool Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view data) {
        std::string bytes = EncodePacket(command, arg0, arg1, data);
        std::lock_guard<std::mutex> lock(send_mu_);
        return SendAll(fd_, bytes);
    }
    void Shutdown() { ::shutdown(fd_, SHUT_RDWR); }
    uint32_t MaxPayload() const { return max_payload_; }
    void Forget(uint32_t id) {
        std::lock_guard<std::mutex> lock(streams_mu_);
        streams_.erase(id);
    }

private:
    bool Handle(Packet& p);
    std::shared_ptr<Stream> Find(uint32_t id);

    Daemon& daemon_;
    int fd_;
    std::mutex send_mu_;
    std::atomic<uint32_t> max_payload_{kMaxPayload};
    std::atomic<bool> version_checksum_{false};
    bool online_ = false;
    bool auth_pending_ = false;
    std::mutex streams_mu_;
    std::map<uint32_t, std::shared_ptr<Stream>> streams_;
    uint32_t next_id_ = 1;
};

// One stream of a transport, seen from the service that serves it: reads
// take what the host wrote (and acknowledge it), writes wait for the host's
// acknowledgement of the previous one.
class Stream {
public:
    Stream(std::shared_ptr<Transport> t, uint32_t local, uint32_t remote)
        : local_(local), remote_(remote), t_(std::move(t)) {}

    bool ReadSome(std::string* out) {
        {
            std::unique_lock<std::mutex> lock(mu_);
            cv_.wait(lock, [&] { return !inbox_.empty() || remote_closed_ || closed_; });
            if (inbox_.empty())
                return false;
            *out = std::move(inbox_.front());
            inbox_.pop_front();
        }
        t_->Send(kOkay, local_, remote_, {});
        return true;
    }

    bool ReadExact(size_t n, std::string* out) {
        while (pending_.size() < n) {
            std::string chunk;
            if (!ReadSome(&chunk))
                return false;
            pending_ += chunk;
        }
        out->assign(pending_, 0, n);
        pending_.erase(0, n);
        return true;
    }

    bool Write(std::string_view data) {
        const size_t max = t_->MaxPayload();
        while (!data.empty()) {
            std::string_view chunk = data.substr(0, max);
            {
                std::unique_lock<std::mutex> lock(mu_);
                cv_.wait(lock, [&] { return can_send_ || remote_closed_ || closed_; });
                if (remote_closed_ || closed_)
                    return false;
                can_send_ = false;
            }
            if (!t_->Send(kWrte, local_, remote_, chunk))
                return false;
            data.remove_prefix(chunk.size());
        }
        return true;
    }

    // Ends the stream from this side (once).
    void Close() {
        bool send = false;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (!closed_) {
                closed_ = true;
                send = !remote_closed_;
            }
        }
        cv_.notify_all();
        if (send)
            t_->Send(kClse, local_, remote_, {});
        t_->Forget(local_);
    }

    void OnWrite(std::string data) {
        {
            std::lock_guard<std::mutex> lock(mu_);
            inbox_.push_back(std::move(data));
        }
        cv_.notify_all();
    }
    void OnOkay() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            can_send_ = true;
        }
        cv_.notify_all();
    }
    void OnClose() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            remote_closed_ = true;
        }
        cv_.notify_all();
    }
    uint32_t Remote() const { return remote_; }

private:
    const uint32_t local_, remote_;
    std::shared_ptr<Transport> t_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<std::string> inbox_;
    std::string pending_;
    bool can_send_ = true;
    bool remote_closed_ = false;
    bool closed_ = false;
};

struct StandinResult {
    std::string output; // standard output and error, in order
    int code = -1;
};

class Daemon {
public:
    explicit Daemon(Options o) : opt_(std::move(o)), store_(opt_.home) {}

    int Run();

    PhoneConfig Config() {
        std::lock_guard<std::mutex> lock(store_.Mutex());
        return store_.Config();
    }
    PhoneStore& Store() { return store_; }
    bool Online(const PhoneConfig& c) const { return c.plugged; }

    // Whether an OPEN of this destination is served; tcp: ports that
    // nothing listens on are refused, as on a phone.
    bool Accepts(const std::string& dest);
    void Serve(std::shared_ptr<Stream> s, const std::string& dest);

    void TransportStarted(Transport* t) {
        std::lock_guard<std::mutex> lock(transports_mu_);
        transports_.insert(t);
        ++connections_;
    }
    void TransportEnded(Transport* t) {
        std::lock_guard<std::mutex> lock(transports_mu_);
        transports_.erase(t);
    }

private:
    void Shell(Stream& s, const std::string& line);
    void StreamedInstall(Stream& s, const std::vector<std::string>& args);
    void PathInstall(Stream& s, const std::vector<std::string>& args);
    std::string InstallReply(const StandinResult& r);
    void Remove(Stream& s, const std::vector<std::string>& args);
    void List(Stream& s, const std::vector<std::string>& args);
    void Sync(Stream& s);
    void SyncStream(Stream& s, int* sent, int* received);
    bool SyncSend(Stream& s, const std::string& target);
    bool SyncRecv(Stream& s, const std::string& path);
    void Tcp(std::shared_ptr<Stream> s);
    StandinResult Standin(const std::vector<std::string>& args);
    std::optional<std::string> Resolve(const std::string& phone_path);

    void Listen(int fd);
    void Announce();
    void Control(int fd);
    std::string Execute(const std::string& line);
    void FlushLoop();
    void DropCompanion() {
        std::lock_guard<std::mutex> lock(conns_mu_);
        for (int fd : conns_)
            ::shutdown(fd, SHUT_RDWR);
    }
    void DropTransports() {
        std::lock_guard<std::mutex> lock(transports_mu_);
        for (Transport* t : transports_)
            t->Shutdown();
    }
    size_t LiveTransports() {
        std::lock_guard<std::mutex> lock(transports_mu_);
        return transports_.size();
    }

    Options opt_;
    PhoneStore store_;
    std::atomic<bool> quit_{false};
    std::mutex transports_mu_;
    std::set<Transport*> transports_;
    std::atomic<uint64_t> connections_{0}; // connections of adb servers so far
    std::mutex conns_mu_;
    std::set<int> conns_;
    int64_t dirty_since_ = 0;
};

// ---- transport ----

void Transport::Run() {
    daemon_.TransportStarted(this);
    Log("%s", "an adb server connected");
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    PacketReader reader;
    std::string buf(256 * 1024, '\0');
    bool ok = true;
    while (ok) {
        ssize_t n = ::recv(fd_, buf.data(), buf.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reader.Feed(std::string_view(buf.data(), static_cast<size_t>(n)));
        while (ok) {
            auto p = reader.Next();
            if (!p)
                break;
            ok = Handle(*p);
            reader.SetMaxPayload(max_payload_);
            reader.SetCheckSum(version_checksum_);
        }
        if (reader.Error() != PacketError::None) {
            Log("closing the connection: %s", PacketErrorText(reader.Error()));
            break;
        }
    }
    ::shutdown(fd_, SHUT_RDWR);
    std::map<uint32_t, std::shared_ptr<Stream>> left;
    {
        std::lock_guard<std::mutex> lock(streams_mu_);
        left.swap(streams_);
    }
    for (auto& [id, s] : left)
        s->OnClose();
    daemon_.TransportEnded(this);
    Log("%s", "the adb server's connection ended");
}

std::shared_ptr<Stream> Transport::Find(uint32_t id) {
    std::lock_guard<std::mutex> lock(streams_mu_);
    auto it = streams_.find(id);
    return it == streams_.end() ? nullptr : it->second;
}

bool Transport::Handle(Packet& p) {
    switch (p.command) {
    case kCnxn: {
        if (p.arg1 < 256) {
            Log("closing the connection: %s", "host payload size below 256 bytes");
            return false;
        }
        const uint32_t version = std::min(p.arg0, kVersionNoChecksum);
        version_checksum_ = version < kVersionNoChecksum;
        max_payload_ = std::min(p.arg1, kMaxPayload);
        const PhoneConfig cfg = daemon_.Config();
        if (cfg.state == "offline")
            return true; // never answers: the host lists the phone offline
        if (cfg.state == "unauthorized") {
            // Asks for a signature and accepts none: the user never allows
            // this computer.
            auth_pending_ = true;
            std::string token(20, '\0');
            std::random_device rd;
            for (char& c : token)
                c = static_cast<char>(rd());
            return Send(kAuth, kAuthToken, 0, token);
        }
        online_ = true;
        return Send(kCnxn, version, max_payload_,
                    DeviceBanner("phonesim", cfg.model, "phonesim", kFeatures));
    }
    case kAuth:
        if (auth_pending_ && p.arg0 == kAuthSignature) {
            std::string token(20, '\x5a');
            return Send(kAuth, kAuthToken, 0, token);
        }
        return true; // a public key: the dialog on the phone stays unanswered
    case kStls:
        Log("closing the connection: %s", "TLS is not offered");
        return false;
    case kOpen: {
        if (!online_ || p.arg0 == 0)
            return true;
        const std::string dest = OpenDestination(p.data);
        if (!daemon_.Accepts(dest)) {
            return Send(kClse, 0, p.arg0, {});
        }
        std::shared_ptr<Stream> s;
        uint32_t id;
        {
            std::lock_guard<std::mutex> lock(streams_mu_);
            id = next_id_++;
            if (next_id_ == 0)
                next_id_ = 1;
            s = std::make_shared<Stream>(shared_from_this(), id, p.arg0);
            streams_[id] = s;
        }
        if (!Send(kOkay, id, p.arg0, {}))
            return false;
        std::thread([d = &daemon_, s, dest] { d->Serve(s, dest); }).detach();
        return true;
    }
    case kOkay:
        if (auto s = Find(p.arg1); s && s->Remote() == p.arg0)
            s->OnOkay();
        return true;
    case kWrte:
        if (auto s = Find(p.arg1); s && s->Remote() == p.arg0)
            s->OnWrite(std::move(p.data));
        else if (online_)
            Send(kClse, 0, p.arg0, {}); // no such stream here
        return true;
    case kClse:
        if (auto s = Find(p.arg1); s && s->Remote() == p.arg0) {
            s->OnClose();
            Forget(p.arg1);
        }
        return true;
    }
    return false;
}

// ---- services ----

bool Daemon::Accepts(const std::string& dest) {
    if (dest.rfind("shell:", 0) == 0 || dest.rfind("exec:", 0) == 0 || dest == "sync:")
        return true;
    if (dest.rfind("tcp:", 0) == 0) {
        std::string rest = dest.substr(4);
        auto port = ParseInt(rest.substr(0, rest.find(':')));
        if (!port || *port != kCompanionPhonePort)
            return false;
        PhoneConfig cfg = Config();
        return cfg.plugged && cfg.state == "device" && cfg.HasPackage(kCompanionPackage) &&
               cfg.IsRunning(kCompanionPackage);
    }
    return false;
}

void Daemon::Serve(std::shared_ptr<Stream> s, const std::string& dest) {
    if (dest.rfind("shell:", 0) == 0)
        Shell(*s, dest.substr(6));
    else if (dest.rfind("exec:", 0) == 0)
        Shell(*s, dest.substr(5));
    else if (dest == "sync:")
        Sync(*s);
    else if (dest.rfind("tcp:", 0) == 0)
        Tcp(s);
    s->Close();
}

StandinResult Daemon::Standin(const std::vector<std::string>& args) {
    StandinResult r;
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0) {
        r.output = "phonesim adbd: no pipe\n";
        return r;
    }
    std::vector<std::string> argv_s = {"adb", "-s", Config().serial};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_s)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_s;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "PHONESIM_HOME=", 14) != 0)
            env_s.emplace_back(*e);
    env_s.push_back("PHONESIM_HOME=" + opt_.home);
    std::vector<char*> envp;
    for (auto& e : env_s)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, pipefd[1], 1);
    posix_spawn_file_actions_adddup2(&fa, pipefd[1], 2);
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, opt_.standin.c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(pipefd[1]);
    if (rc != 0) {
        ::close(pipefd[0]);
        r.output =
            "/system/bin/sh: cannot run the phone's command: " + std::string(std::strerror(rc)) +
            "\n";
        return r;
    }
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(pipefd[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        r.output.append(buf, static_cast<size_t>(n));
    }
    ::close(pipefd[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

void Daemon::Shell(Stream& s, const std::string& line) {
    auto words = ShellWords(line);
    if (!words) {
        s.Write("/system/bin/sh: syntax error: unmatched quote\n");
        return;
    }
    const auto& w = *words;
    if (w.empty())
        return; // no interactive shell on this phone
    auto is = [&](std::initializer_list<const char*> prefix) {
        if (w.size() < prefix.size())
            return false;
        size_t i = 0;
        for (const char* p : prefix)
            if (w[i++] != p)
                return false;
        return true;
    };
    if (is({"cmd", "package", "install"}))
        return StreamedInstall(s, std::vector<std::string>(w.begin() + 3, w.end()));
    if (is({"pm", "install"}))
        return PathInstall(s, std::vector<std::string>(w.begin() + 2, w.end()));
    if (is({"cmd", "package", "uninstall"}) || is({"pm", "uninstall"})) {
        std::vector<std::string> args = {"uninstall"};
        args.insert(args.end(), w.begin() + (w[0] == "pm" ? 2 : 3), w.end());
        s.Write(Standin(args).output);
        return;
    }
    if (w[0] == "rm")
        return Remove(s, w);
    if (w[0] == "ls")
        return List(s, w);
    // Everything else is the stand-in's shell: getprop, am, pm list,
    // screencap, and its answer for commands the phone does not know.
    s.Write(Standin({"shell", line}).output);
}

std::string Daemon::InstallReply(const StandinResult& r) {
    if (r.code == 0 && r.output.find("Success") != std::string::npos)
        return "Success\n";
    size_t f = r.output.find("Failure [");
    if (f != std::string::npos) {
        size_t end = r.output.find('\n', f);
        return r.output.substr(f, end == std::string::npos ? std::string::npos : end - f) + "\n";
    }
    return "Failure [INSTALL_FAILED_INTERNAL_ERROR]\n";
}

// "cmd package install [-r ...] -S SIZE": the package arrives on the stream.
void Daemon::StreamedInstall(Stream& s, const std::vector<std::string>& args) {
    std::vector<std::string> flags;
    std::optional<int64_t> size;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-S" && i + 1 < args.size())
            size = ParseInt(args[++i]);
        else if (args[i].size() == 2 && args[i][0] == '-')
            flags.push_back(args[i]);
    }
    if (!size || *size < 0) {
        s.Write("Error: APK content must be streamed\n");
        return;
    }
    char tmpl[] = "/tmp/phonesim-install-XXXXXX.apk";
    int fd = ::mkstemps(tmpl, 4);
    if (fd < 0) {
        s.Write("Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n");
        return;
    }
    int64_t got = 0;
    bool ok = true;
    std::string chunk;
    while (got < *size) {
        if (!s.ReadSome(&chunk)) {
            ok = false;
            break;
        }
        size_t take = static_cast<size_t>(std::min<int64_t>(*size - got, int64_t(chunk.size())));
        if (::write(fd, chunk.data(), take) != static_cast<ssize_t>(take))
            ok = false;
        got += static_cast<int64_t>(chunk.size());
    }
    ::close(fd);
    if (!ok) {
        ::unlink(tmpl);
        s.Write("Failure [INSTALL_FAILED_INTERNAL_ERROR: the package did not arrive whole]\n");
        return;
    }
    std::vector<std::string> a = {"install"};
    a.insert(a.end(), flags.begin(), flags.end());
    a.push_back(tmpl);
    StandinResult r = Standin(a);
    ::unlink(tmpl);
    s.Write(InstallReply(r));
}

// "pm install [-r ...] PATH": a package pushed to the phone before.
void Daemon::PathInstall(Stream& s, const std::vector<std::string>& args) {
    if (args.empty() || args.back().empty() || args.back()[0] == '-') {
        s.Write("Error: no package specified\n");
        return;
    }
    auto path = Resolve(args.back());
    if (!path || !IsFile(*path)) {
        s.Write("Failure [INSTALL_FAILED_INVALID_URI]\n");
        return;
    }
    std::vector<std::string> a = {"install"};
    a.insert(a.end(), args.begin(), args.end() - 1);
    a.push_back(*path);
    s.Write(InstallReply(Standin(a)));
}

void Daemon::Remove(Stream& s, const std::vector<std::string>& w) {
    bool force = false;
    std::string out;
    for (size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "-f") {
            force = true;
            continue;
        }
        auto path = Resolve(w[i]);
        struct stat st {};
        if (!path || ::lstat(path->c_str(), &st) != 0) {
            if (!force)
                out += "rm: " + w[i] + ": No such file or directory\n";
            continue;
        }
        if (S_ISDIR(st.st_mode) || ::unlink(path->c_str()) != 0)
            out += "rm: " + w[i] + ": " +
                   (S_ISDIR(st.st_mode) ? "Is a directory" : std::strerror(errno)) + "\n";
    }
    s.Write(out);
}

void Daemon::List(Stream& s, const std::vector<std::string>& w) {
    std::string out;
    std::vector<std::string> paths;
    for (size_t i = 1; i < w.size(); ++i)
        if (w[i].empty() || w[i][0] != '-')
            paths.push_back(w[i]);
    if (paths.empty())
        paths.push_back("/sdcard");
    for (const auto& p : paths) {
        auto path = Resolve(p);
        if (path && IsFile(*path)) {
            out += p + "\n";
            continue;
        }
        DIR* d = path ? ::opendir(path->c_str()) : nullptr;
        if (!d) {
            out += "ls: " + p + ": No such file or directory\n";
            continue;
        }
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        ::closedir(d);
        std::sort(names.begin(), names.end());
        for (const auto& n : names)
            out += n + "\n";
    }
    s.Write(out);
}

// A phone path inside the phone folder, or nothing: outside the mapped
// roots, climbing with "..", or reaching out of the folder through a
// symbolic link on the way.
std::optional<std::string> Daemon::Resolve(const std::string& phone_path) {
    auto mapped = MapPhonePath(opt_.home, Config(), phone_path);
    if (!mapped)
        return std::nullopt;
    std::string probe = *mapped;
    char real[PATH_MAX];
    for (;;) {
        if (::realpath(probe.c_str(), real)) {
            std::string r = real;
            if (r == opt_.home || r.rfind(opt_.home + "/", 0) == 0)
                return mapped;
            Log("refused a path outside the phone folder: %s", phone_path);
            return std::nullopt;
        }
        size_t slash = probe.rfind('/');
        if (slash == std::string::npos || slash == 0)
            return std::nullopt;
        probe.resize(slash);
    }
}

void Daemon::Sync(Stream& s) {
    int sent = 0, received = 0;
    SyncStream(s, &sent, &received);
    Log("sync: %s",
        std::to_string(received) + " file(s) received, " + std::to_string(sent) + " sent");
}

void Daemon::SyncStream(Stream& s, int* sent, int* received) {
    std::string head, arg;
    for (;;) {
        if (!s.ReadExact(8, &head))
            return;
        const SyncHeader h = ParseSyncHeader(head);
        if (h.id == "QUIT")
            return;
        if (h.id != "STAT" && h.id != "LIST" && h.id != "SEND" && h.id != "RECV") {
            Log("closing a sync stream: unknown request %s", HexEncode(h.id));
            return;
        }
        if (h.length > kSyncMaxPath) {
            Log("closing a sync stream: %s path too long", h.id);
            return;
        }
        if (!s.ReadExact(h.length, &arg))
            return;
        if (h.id == "STAT") {
            struct stat st {};
            auto path = Resolve(arg);
            std::string reply = "STAT";
            if (path && ::stat(path->c_str(), &st) == 0) {
                PutWord(reply, st.st_mode);
                PutWord(reply, static_cast<uint32_t>(st.st_size));
                PutWord(reply, static_cast<uint32_t>(st.st_mtime));
            } else {
                reply.append(12, '\0');
            }
            if (!s.Write(reply))
                return;
        } else if (h.id == "LIST") {
            std::string reply;
            auto path = Resolve(arg);
            DIR* d = path ? ::opendir(path->c_str()) : nullptr;
            while (dirent* e = d ? ::readdir(d) : nullptr) {
                struct stat st {};
                std::string name = e->d_name;
                if (::lstat((*path + "/" + name).c_str(), &st) != 0)
                    continue;
                reply += "DENT";
                PutWord(reply, st.st_mode);
                PutWord(reply, static_cast<uint32_t>(st.st_size));
                PutWord(reply, static_cast<uint32_t>(st.st_mtime));
                PutWord(reply, static_cast<uint32_t>(name.size()));
                reply += name;
            }
            if (d)
                ::closedir(d);
            reply += "DONE";
            reply.append(16, '\0');
            if (!s.Write(reply))
                return;
        } else if (h.id == "SEND") {
            if (!SyncSend(s, arg))
                return;
            ++*received;
        } else {
            if (!SyncRecv(s, arg))
                return;
            ++*sent;
        }
    }
}

// Receives DATA chunks up to DONE into a new file that replaces the target
// only once whole. A failure is answered after DONE, as the host sends the
// whole file before it reads the answer. False when the stream must end.
bool Daemon::SyncSend(Stream& s, const std::string& target) {
    std::string fail;
    auto parsed = ParseSendTarget(target);
    std::optional<std::string> dest;
    if (!parsed)
        fail = "bad SEND target";
    else if (S_ISLNK(parsed->second))
        fail = "symbolic links are not supported";
    else if (!(dest = Resolve(parsed->first)))
        fail = "couldn't create file: Read-only file system";
    else if (IsDir(*dest))
        fail = "couldn't create file: Is a directory";
    std::string tmp;
    int fd = -1;
    if (fail.empty()) {
        std::string dir = dest->substr(0, dest->rfind('/'));
        std::string base = dest->substr(dest->rfind('/') + 1);
        tmp = dir + "/.phonesim-" + base.substr(0, 100) + "-XXXXXX";
        if (!MakeDirs(dir) || !Resolve(parsed->first) || (fd = ::mkstemp(tmp.data())) < 0)
            fail = std::string("couldn't create file: ") + std::strerror(errno);
    }
    std::string head, data;
    for (;;) {
        if (!s.ReadExact(8, &head))
            break;
        SyncHeader h = ParseSyncHeader(head);
        if (h.id == "DATA") {
            if (h.length > kSyncMaxData) {
                Log("closing a sync stream: %s", "DATA chunk over 64 KiB");
                break;
            }
            if (!s.ReadExact(h.length, &data))
                break;
            if (fd >= 0 && ::write(fd, data.data(), data.size()) != ssize_t(data.size()) &&
                fail.empty())
                fail = std::string("write failed: ") + std::strerror(errno);
            continue;
        }
        if (h.id != "DONE") {
            Log("closing a sync stream: unexpected %s during SEND", HexEncode(h.id));
            break;
        }
        if (fd >= 0) {
            ::fchmod(fd, (parsed->second & 0777) ? (parsed->second & 0777) : 0644);
            timespec times[2] = {{static_cast<time_t>(h.length), 0},
                                 {static_cast<time_t>(h.length), 0}};
            ::futimens(fd, times);
            if (::close(fd) != 0 && fail.empty())
                fail = std::string("write failed: ") + std::strerror(errno);
            fd = -1;
            if (fail.empty() && ::rename(tmp.c_str(), dest->c_str()) != 0)
                fail = std::string("couldn't create file: ") + std::strerror(errno);
            if (!fail.empty())
                ::unlink(tmp.c_str());
        }
        return s.Write(fail.empty() ? SyncMessage("OKAY", 0)
                                    : SyncMessage("FAIL", uint32_t(fail.size()), fail));
    }
    if (fd >= 0) {
        ::close(fd);
        ::unlink(tmp.c_str());
    }
    return false;
}

bool Daemon::SyncRecv(Stream& s, const std::string& phone_path) {
    auto path = Resolve(phone_path);
    int fd = path && IsFile(*path) ? ::open(path->c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) {
        std::string msg = path && IsDir(*path) ? "Is a directory" : "No such file or directory";
        msg = "open failed: " + msg;
        return s.Write(SyncMessage("FAIL", uint32_t(msg.size()), msg));
    }
    // DATA messages are gathered so that small files take one packet.
    std::string out;
    std::string chunk(kSyncMaxData, '\0');
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            std::string msg = std::string("read failed: ") + std::strerror(errno);
            out += SyncMessage("FAIL", uint32_t(msg.size()), msg);
            s.Write(out);
            return false;
        }
        if (n == 0)
            break;
        out += SyncMessage("DATA", uint32_t(n), std::string_view(chunk.data(), size_t(n)));
        if (out.size() >= kMaxPayload / 2) {
            if (!s.Write(out)) {
                ::close(fd);
                return false;
            }
            out.clear();
        }
    }
    ::close(fd);
    out += SyncMessage("DONE", 0);
    return s.Write(out);
}

// A forwarded connection to the companion: the stream's bytes go to the
// companion emulator through a socket pair and its answers come back.
void Daemon::Tcp(std::shared_ptr<Stream> s) {
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
        return;
    {
        std::lock_guard<std::mutex> lock(conns_mu_);
        conns_.insert(sv[1]);
    }
    std::thread companion([this, fd = sv[1]] {
        ServeCompanion(fd, store_);
        {
            std::lock_guard<std::mutex> lock(conns_mu_);
            conns_.erase(fd);
        }
        ::close(fd);
    });
    std::thread back([s, fd = sv[0]] {
        std::string buf(kMaxPayload, '\0');
        for (;;) {
            ssize_t n = ::read(fd, buf.data(), buf.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || !s->Write(std::string_view(buf.data(), size_t(n))))
                break;
        }
        s->Close();
    });
    std::string chunk;
    while (s->ReadSome(&chunk))
        if (!SendAll(sv[0], chunk))
            break;
    ::shutdown(sv[0], SHUT_RDWR);
    back.join();
    companion.join();
    ::close(sv[0]);
}

// ---- daemon ----

void Daemon::Listen(int fd) {
    int cfd = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (cfd < 0)
        return;
    if (!Config().plugged) {
        ::close(cfd); // no cable: nothing answers
        return;
    }
    auto t = std::make_shared<Transport>(*this, cfd);
    std::thread([t] { t->Run(); }).detach();
}

// Plays the cable: while the phone is plugged and no adb server is connected,
// tells the server on the given port to connect, as a phone on USB is found
// by every server that starts.
void Daemon::Announce() {
    using Clock = std::chrono::steady_clock;
    auto last = Clock::now() - std::chrono::seconds(10);
    uint64_t connections_at_announce = 0;
    std::string last_state;
    bool was_plugged = true;
    while (!quit_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PhoneConfig cfg = Config();
        if (!cfg.plugged) {
            if (was_plugged) {
                DropCompanion();
                DropTransports();
            }
            was_plugged = false;
            continue;
        }
        was_plugged = true;
        if (cfg.state != last_state) {
            // The phone's answer to a connection changed: adb connects anew.
            if (!last_state.empty())
                DropTransports();
            last_state = cfg.state;
        }
        // After an announcement the server gets a second to connect, unless
        // it connected meanwhile and has gone again (a new server).
        if (opt_.server_port <= 0 || LiveTransports() > 0 ||
            (connections_ == connections_at_announce &&
             Clock::now() - last < std::chrono::milliseconds(1000)))
            continue;
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(opt_.server_port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        std::string req = "host:connect:127.0.0.1:" + std::to_string(opt_.port);
        char len[5];
        std::snprintf(len, sizeof len, "%04x", static_cast<unsigned>(req.size()));
        timeval tv{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        if (SendAll(fd, std::string(len) + req)) {
            char buf[256];
            [[maybe_unused]] ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        }
        ::close(fd);
        last = Clock::now();
        connections_at_announce = connections_;
        Log("announced to the adb server on port %s", std::to_string(opt_.server_port));
    }
}

std::string Daemon::Execute(const std::string& line) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd == "ping")
        return "OKAY " + std::to_string(::getpid()) + "\n";
    if (cmd == "sync") {
        std::lock_guard<std::mutex> lock(store_.Mutex());
        return store_.Flush() ? "OKAY\n" : "FAIL cannot write the phone folder\n";
    }
    if (cmd == "drop") {
        DropCompanion();
        return "OKAY\n";
    }
    if (cmd == "unplug") {
        DropCompanion();
        DropTransports();
        return "OKAY\n";
    }
    if (cmd == "kill") {
        quit_ = true;
        OnSignal(0);
        return "OKAY\n";
    }
    if (cmd.rfind("forward", 0) == 0)
        return "FAIL forwards belong to the adb server of this phone\n";
    return "FAIL unknown request\n";
}

void Daemon::Control(int ctl) {
    int fd = ::accept4(ctl, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string line;
    char buf[512];
    while (line.size() < 4096 && line.find('\n') == std::string::npos) {
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        line.append(buf, static_cast<size_t>(n));
    }
    std::string reply = Execute(line.substr(0, line.find('\n')));
    SendAll(fd, reply);
    ::close(fd);
}

void Daemon::FlushLoop() {
    while (!quit_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!IsFile(opt_.home + "/phone.json")) {
            // The phone folder was removed: nothing left to serve.
            quit_ = true;
            OnSignal(0);
            return;
        }
        std::lock_guard<std::mutex> lock(store_.Mutex());
        if (!store_.Dirty()) {
            dirty_since_ = 0;
            continue;
        }
        const int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
        if (!dirty_since_)
            dirty_since_ = now;
        auto idle = std::chrono::steady_clock::now() - store_.LastChange();
        if (idle > std::chrono::milliseconds(100) || now - dirty_since_ > 1000000000LL) {
            store_.Flush();
            dirty_since_ = 0;
        }
    }
}

int Daemon::Run() {
    int ctl = ListenControl(opt_.home);
    if (ctl < 0) {
        std::fprintf(stderr,
                     "phonesim adbd: another server serves %s already; end it first "
                     "(adb kill-server with PHONESIM_HOME set)\n",
                     opt_.home.c_str());
        return 1;
    }
    int lfd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(lfd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(opt_.port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (lfd < 0 || ::bind(lfd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(lfd, 16) != 0) {
        std::fprintf(stderr,
                     "phonesim adbd: cannot listen on 127.0.0.1:%d: %s; pick another port\n",
                     opt_.port, std::strerror(errno));
        return 1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(lfd, reinterpret_cast<sockaddr*>(&addr), &len);
    opt_.port = ntohs(addr.sin_port);
    if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    std::printf("%d\n", opt_.port);
    std::fflush(stdout);

    std::thread([this] { FlushLoop(); }).detach();
    std::thread([this] { Announce(); }).detach();
    while (!quit_) {
        pollfd fds[3] = {{lfd, POLLIN, 0}, {ctl, POLLIN, 0}, {g_wake[0], POLLIN, 0}};
        int r = ::poll(fds, 3, 1000);
        if (r < 0 && errno != EINTR)
            break;
        if (fds[2].revents & POLLIN)
            break;
        if (fds[0].revents & POLLIN)
            Listen(lfd);
        if (fds[1].revents & POLLIN)
            Control(ctl);
    }
    quit_ = true;
    DropCompanion();
    DropTransports();
    // Keep the store locked while leaving so no session writes after the
    // last flush.
    store_.Mutex().lock();
    store_.Flush();
    std::fflush(stderr);
    ::_exit(0);
}

} // namespace

int Run(const Options& options) {
    Options o = options;
    char real[PATH_MAX];
    if (!::realpath(o.home.c_str(), real) || !IsFile(std::string(real) + "/phone.json")) {
        std::fprintf(stderr, "phonesim adbd: %s is not a phone (no phone.json)\n", o.home.c_str());
        return 2;
    }
    o.home = real;
    if (o.standin.empty()) {
        char exe[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0) {
            exe[n] = '\0';
            std::string dir(exe);
            o.standin = dir.substr(0, dir.rfind('/')) + "/adb";
        }
    }
    if (::access(o.standin.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "phonesim adbd: the adb stand-in %s is missing; build phonesim_adb\n",
                     o.standin.c_str());
        return 2;
    }
    static Daemon* daemon = new Daemon(o); // threads outlive Run's frame until _exit
    return daemon->Run();
}

} // namespace phonesim::adbd
