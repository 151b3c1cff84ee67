// Printing an HTML document to PDF with headless Chromium.
#include "pdf_printer.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace tx14::cli {
namespace {

namespace fs = std::filesystem;

volatile std::sig_atomic_t noted_signal = 0;

extern "C" void note_signal(int signal) { noted_signal = signal; }

// SIGINT, SIGTERM and SIGHUP noted rather than acted on while the browser
// runs, so that it can be stopped and its directory removed first. One
// ignored (nohup, a background job) stays ignored.
class SignalsNoted {
public:
    SignalsNoted()
    {
        struct sigaction noting {};
        noting.sa_handler = note_signal;
        sigemptyset(&noting.sa_mask);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            if (sigaction(kSignals[i], nullptr, &before_[i]) == 0 && before_[i].sa_handler != SIG_IGN)
                sigaction(kSignals[i], &noting, nullptr);
    }
    ~SignalsNoted()
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &before_[i], nullptr);
    }
    SignalsNoted(const SignalsNoted&) = delete;
    SignalsNoted& operator=(const SignalsNoted&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction before_[std::size(kSignals)]{};
};

// A fresh directory under the temporary directory, removed with all in it.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec)
            return;
        std::string pattern = (fs::absolute(base, ec) / "tx14-sheet-XXXXXX").string();
        if (!ec && mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchDirectory()
    {
        std::error_code ec;
        if (!path_.empty())
            fs::remove_all(path_, ec);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

enum class Ended { exited, timed_out, interrupted, not_started };

// Runs a program in a process group of its own, its output thrown away and
// its temporary files in `temporary` (what it leaves there is removed with
// it), until it exits, the time is up or a signal was noted; then whatever
// is left of its group is killed. The program's exit status in `status`.
Ended run_in_own_group(std::vector<std::string>& args, const fs::path& temporary, std::chrono::duration<double> timeout,
                       int& status)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // Chromium puts its socket in TMPDIR, at most 107 bytes from the root
    // with the 46 of its own names: a longer directory keeps the one given.
    std::string tmpdir = "TMPDIR=" + temporary.string();
    const bool own_tmpdir = temporary.string().size() <= 61;
    std::vector<char*> envp;
    if (own_tmpdir)
        envp.push_back(tmpdir.data());
    for (char** e = environ; *e; ++e)
        if (!own_tmpdir || !std::string_view(*e).starts_with("TMPDIR="))
            envp.push_back(*e);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, noted;
    sigemptyset(&none);
    sigemptyset(&noted);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&noted, s);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &noted);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (!started)
        return Ended::not_started;

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Ended ended = Ended::exited;
    while (true) {
        // Exited but not reaped: its process group cannot be another's yet.
        siginfo_t info{};
        const int waited = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if ((waited == 0 && info.si_pid == pid) || (waited < 0 && errno != EINTR))
            break;
        if (noted_signal != 0) {
            ended = Ended::interrupted;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ended = Ended::timed_out;
            break;
        }
        const timespec pause{0, 20'000'000};
        nanosleep(&pause, nullptr);
    }
    kill(-pid, SIGKILL);  // its helpers too, when it left any
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return ended;
}

std::string seconds_text(double s)
{
    std::string t = std::to_string(s);
    t.erase(t.find_last_not_of('0') + 1);
    if (t.back() == '.')
        t.pop_back();
    return t + (t == "1" ? " second" : " seconds");
}

// A path as a file URL: every byte but letters, digits, "-._~/" as %HH.
std::string file_url(std::string_view absolute_path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char ch : absolute_path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            std::string_view("-._~/").find(ch) != std::string_view::npos) {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

// A program's path: `name` itself when it holds a slash, else the first
// executable file of that name in the directories of PATH; empty when none.
std::string find_program(const std::string& name)
{
    auto runnable = [](const std::string& file) {
        struct stat st;
        return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0;
    };
    if (name.find('/') != std::string::npos)
        return runnable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t colon = dirs.find(':', start);
        if (colon == std::string::npos)
            colon = dirs.size();
        const std::string dir = dirs.substr(start, colon - start);
        const std::string file = (dir.empty() ? "." : dir) + "/" + name;  // an empty entry: the current directory
        if (!name.empty() && runnable(file))
            return file;
        start = colon + 1;
    }
    return {};
}

}  // namespace

int interrupting_signal() { return noted_signal; }

bool print_pdf(const std::string& html, std::string& pdf, std::string& error, double timeout_seconds)
{
    const char* env = std::getenv("TX14_CHROMIUM");
    const std::string named = env && *env ? env : "/usr/bin/chromium";
    const std::string browser = find_program(named);
    if (browser.empty()) {
        error = "no browser " +
                std::string(named.find('/') == std::string::npos ? "\"" + named + "\" in PATH" : "at " + named) +
                " to print the PDF; install Chromium (as root: apt-get install -y chromium) or name its "
                "binary in TX14_CHROMIUM";
        return false;
    }
    noted_signal = 0;
    const SignalsNoted noting;
    // The page, the browser's profile and the PDF in a fresh directory.
    const ScratchDirectory dir;
    if (dir.path().empty()) {
        error = "cannot make a temporary directory for the browser";
        return false;
    }
    const fs::path page = dir.path() / "sheet.html", printed = dir.path() / "sheet.pdf";
    if (!(std::ofstream(page, std::ios::binary) << html)) {
        error = "cannot write the page for the browser into " + dir.path().string();
        return false;
    }
    std::vector<std::string> args = {browser,
                                     "--headless",
                                     "--disable-gpu",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--disable-quic",
                                     "--no-pdf-header-footer",
                                     "--user-data-dir=" + (dir.path() / "profile").string(),
                                     "--print-to-pdf=" + printed.string(),
                                     file_url(page.string())};
    if (geteuid() == 0)
        args.insert(args.begin() + 1, "--no-sandbox");
    int status = 0;
    const Ended ended =
        noted_signal ? Ended::interrupted
                     : run_in_own_group(args, dir.path(), std::chrono::duration<double>(timeout_seconds), status);
    switch (ended) {
    case Ended::interrupted:
        error = "interrupted; the browser was stopped";
        return false;
    case Ended::timed_out:
        error = browser + " did not print the PDF within " + seconds_text(timeout_seconds) +
                " (--pdf-timeout); it was stopped";
        return false;
    case Ended::not_started:
        error = browser + " could not be started";
        return false;
    case Ended::exited:
        break;
    }
    std::ifstream f(printed, std::ios::binary);
    pdf.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || pdf.rfind("%PDF", 0) != 0) {
        error = browser + " could not print the PDF";
        return false;
    }
    return true;
}

}  // namespace tx14::cli
