// bench-capture: what recording a call costs. Records a 1280×720 window and both sound
// streams (speech playing on each side in turn) with murva-recorder's self-test, then
// does the same job with the ffmpeg command line, and compares the CPU time and memory
// of the two processes. Twice: a window animated 30 times a second, and a still one
// showing a new slide every 20 s (most of a meeting's picture does not move). Both run under a private Xvfb and PulseAudio,
// so nothing of the user's own session is recorded or disturbed.
//
//   bench-capture [--seconds N] [--rounds N] [--long]
//
// --rounds N records each window N times with each program, taking turns at going first,
// and compares the sums: steadier on a machine whose speed drifts.
// --long adds a 10-minute recording that samples the recorder's memory every 10 s, to
// show that it does not grow. Other arguments (scripts/bench hands every benchmark its
// own) are ignored.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The window's place on the 1920×1080 screen; ffmpeg grabs the same rectangle.
constexpr int kWindowX = 100;
constexpr int kWindowY = 100;
constexpr const char *kWindowSize = "1280x720";
// Our writer's settings (src/linux/media): x264 preset, AAC coder, bit rates, key frame interval.
constexpr const char *kPreset = "veryfast";
constexpr int kLongSeconds = 600;
constexpr int kRssEverySeconds = 10;
constexpr int kSlideEverySeconds = 20;
constexpr double kPeakRssGoalMb = 150;

// Set by SIGINT, SIGTERM or SIGHUP: the runs end early and everything started is
// stopped on the way out, the private display and sound server included.
volatile sig_atomic_t interrupted = 0;

void interrupt(int)
{
    interrupted = 1;
}

void handleInterruptions()
{
    struct sigaction action {};
    action.sa_handler = interrupt;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN); // a closed output must not leave the desktop running
}

struct Options {
    int seconds = 60;
    int rounds = 1;
    bool longRun = false;
};

Options parse(int argc, char **argv)
{
    Options options;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--long") {
            options.longRun = true;
        } else if (argument == "--seconds" && at + 1 < argc) {
            options.seconds = std::max(1, std::atoi(argv[++at]));
        } else if (argument == "--rounds" && at + 1 < argc) {
            options.rounds = std::max(1, std::atoi(argv[++at]));
        }
    }
    return options;
}

struct Usage {
    double userSec = 0;
    double systemSec = 0;
    double peakRssMb = 0;
    bool exitedCleanly = false;
    std::vector<double> rssSamplesMb; // every kRssEverySeconds while it ran

    double cpuSec() const { return userSec + systemSec; }

    // Counts another run in: CPU adds up, the peak is the higher one, and all must be clean.
    void add(const Usage &run)
    {
        userSec += run.userSec;
        systemSec += run.systemSec;
        peakRssMb = std::max(peakRssMb, run.peakRssMb);
        exitedCleanly = exitedCleanly && run.exitedCleanly;
    }
};

double rssMbOf(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atof(line.c_str() + 6) / 1024.0;
        }
    }
    return 0;
}

class Child {
public:
    // Standard output and error go to `outputPath`. A child of its own process group,
    // so that stopping it also stops what it started.
    Child(const std::vector<std::string> &arguments, const std::string &outputPath)
    {
        std::vector<char *> argv;
        for (const std::string &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (posix_spawnp(&pid_, argv[0], &files, &attributes, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
    }

    ~Child() { stop(); }

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Waits for the end, sampling the memory as it goes; the times and the peak come
    // from the kernel's own account of the finished process and all its threads.
    Usage wait(std::optional<int> sampleEverySec = std::nullopt)
    {
        Usage usage;
        const auto started = Clock::now();
        auto nextSample = started + std::chrono::seconds(sampleEverySec.value_or(0));
        int status = 0;
        rusage resources{};
        bool stopping = false;
        while (::wait4(pid_, &status, WNOHANG, &resources) == 0) {
            if (interrupted && !stopping) {
                ::kill(-pid_, SIGTERM);
                stopping = true;
            }
            if (sampleEverySec && Clock::now() >= nextSample) {
                usage.rssSamplesMb.push_back(rssMbOf(pid_));
                nextSample += std::chrono::seconds(*sampleEverySec);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        pid_ = -1;
        usage.userSec = double(resources.ru_utime.tv_sec) + resources.ru_utime.tv_usec / 1e6;
        usage.systemSec = double(resources.ru_stime.tv_sec) + resources.ru_stime.tv_usec / 1e6;
        usage.peakRssMb = double(resources.ru_maxrss) / 1024.0;
        usage.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return usage;
    }

    void stop()
    {
        if (pid_ <= 0) {
            return;
        }
        ::kill(-pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::string readFile(const fs::path &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool run(const std::string &command)
{
    return std::system(command.c_str()) == 0;
}

// A private Xvfb and PulseAudio (the tests' desktop fixture), joined by this process
// and everything it starts.
class PrivateDesktop {
public:
    explicit PrivateDesktop(fs::path folder) : folder_(std::move(folder))
    {
        started_ = run(std::string("'") + MURVA_DESKTOP_SESSION + "' start '" + folder_.string() + "'");
        if (!started_) {
            return;
        }
        std::istringstream env(readFile(folder_ / "env"));
        for (std::string line; std::getline(env, line);) {
            if (line.rfind("export ", 0) == 0) {
                line.erase(0, 7);
            }
            const auto equals = line.find('=');
            if (equals != std::string::npos) {
                ::setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);
            }
        }
    }

    ~PrivateDesktop()
    {
        if (started_) {
            run(std::string("'") + MURVA_DESKTOP_SESSION + "' stop '" + folder_.string() + "'");
        }
    }

    bool started() const { return started_; }

private:
    fs::path folder_;
    bool started_ = false;
};

bool waitForText(const fs::path &path, const std::string &text, double limitSec)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(limitSec);
    while (Clock::now() < deadline && !interrupted) {
        if (readFile(path).find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string lastLineStartingWith(const std::string &text, const std::string &prefix)
{
    std::istringstream lines(text);
    std::string found;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) {
            found = line;
        }
    }
    return found;
}

Usage recordWithRecorder(const fs::path &folder, int seconds, std::optional<int> sampleEverySec)
{
    // As for a call in a browser: the recorder then records the window, not the screen.
    const fs::path output = folder / "recorder.txt";
    Child recorder({MURVA_RECORDER, "--self-test", std::to_string(seconds), (folder / "recorder.mp4").string(),
                    "--browser"},
                   output.string());
    Usage usage = recorder.wait(sampleEverySec);
    const std::string said = readFile(output);
    const std::string recorded = lastLineStartingWith(said, "recorded ");
    std::printf("  recorder says: %s; %s\n", recorded.substr(0, recorded.find(", turns")).c_str(),
                lastLineStartingWith(said, "file: ").c_str());
    return usage;
}

Usage recordWithFfmpeg(const fs::path &folder, int seconds)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : ":0";
    const std::string region = display + "+" + std::to_string(kWindowX) + "," + std::to_string(kWindowY);
    Child ffmpeg({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                  "-thread_queue_size", "512", "-f", "x11grab", "-framerate", "15", "-video_size", kWindowSize,
                  "-i", region,
                  "-thread_queue_size", "512", "-f", "pulse", "-i", "mic",
                  "-thread_queue_size", "512", "-f", "pulse", "-i", "speakers.monitor",
                  "-filter_complex", "[1:a][2:a]amix=inputs=2[mixed]", "-map", "0:v", "-map", "[mixed]",
                  "-c:v", "libx264", "-preset", kPreset, "-profile:v", "high", "-pix_fmt", "yuv420p",
                  "-b:v", "1M", "-g", "60", "-bf", "0",
                  "-c:a", "aac", "-aac_coder", "fast", "-b:a", "96k", "-ar", "48000", "-ac", "1",
                  "-movflags", "+empty_moov+default_base_moof", "-frag_duration", "10000000",
                  "-t", std::to_string(seconds), (folder / "ffmpeg.mp4").string()},
                 (folder / "ffmpeg.txt").string());
    Usage usage = ffmpeg.wait();
    if (!usage.exitedCleanly) {
        std::printf("  ffmpeg failed: %s\n", readFile(folder / "ffmpeg.txt").c_str());
    }
    return usage;
}

void printUsage(const char *name, const Usage &usage, int seconds)
{
    std::printf("  %-8s cpu %6.2f s (user %.2f + system %.2f) = %5.1f %% of one core, peak RSS %6.1f MB%s\n", name,
                usage.cpuSec(), usage.userSec, usage.systemSec, 100.0 * usage.cpuSec() / seconds, usage.peakRssMb,
                usage.exitedCleanly ? "" : "  (did not finish cleanly)");
}

void printMemorySeries(const Usage &usage)
{
    std::printf("  RSS every %d s (MB):", kRssEverySeconds);
    for (double sample : usage.rssSamplesMb) {
        std::printf(" %.1f", sample);
    }
    std::printf("\n");
    // The first minute holds the start-up; from then on the figure should stay flat.
    const std::size_t settled = 5;
    if (usage.rssSamplesMb.size() > settled + 1) {
        std::printf("  growth after the first minute: %+.1f MB\n",
                    usage.rssSamplesMb.back() - usage.rssSamplesMb[settled]);
    }
}

// Speech on each side in turn for as long as it runs, so that the sound path (mixing,
// turns, AAC) works on real signal rather than silence.
std::optional<Child> startSpeech(const fs::path &folder)
{
    const fs::path speech = folder / "speech.wav";
    if (!run("espeak-ng -w '" + speech.string() + "' 'This is the weekly meeting of the recording team.'")) {
        return std::nullopt;
    }
    return std::make_optional<Child>(
        std::vector<std::string>{"sh", "-c",
                                 "while :; do paplay --device=micfeed \"$0\"; sleep 1; "
                                 "paplay --device=speakers \"$0\"; sleep 1; done",
                                 speech.string()},
        (folder / "speech.txt").string());
}

struct Scenario {
    const char *name;
    std::vector<std::string> windowArguments;
    double ratioGoal;
};

// Records the window that `scenario` shows with both programs; true when both finished.
bool compare(const Scenario &scenario, const Options &options, const fs::path &folder)
{
    const std::string geometry =
        std::string(kWindowSize) + "+" + std::to_string(kWindowX) + "+" + std::to_string(kWindowY);
    std::vector<std::string> arguments{MURVA_BENCH_WINDOW, "--title", "Meet - bench", "--class", "chromium,Chromium",
                                       "--geometry", geometry};
    arguments.insert(arguments.end(), scenario.windowArguments.begin(), scenario.windowArguments.end());
    Child window(arguments, (folder / "window.txt").string());
    if (!window.running() || !waitForText(folder / "window.txt", "ready ", 5)) {
        std::fprintf(stderr, "bench-capture: the window did not come up\n");
        return false;
    }
    std::printf("capture: %d s of %s %s window, microphone and computer sound\n", options.seconds, scenario.name,
                kWindowSize);
    // A shared machine's speed drifts within minutes. Over several rounds the two sides
    // take turns going first, so a drift weighs on both alike; the sums are compared.
    Usage recorder, ffmpeg;
    recorder.exitedCleanly = ffmpeg.exitedCleanly = true; // until a run says otherwise
    for (int round = 0; round < options.rounds && !interrupted; ++round) {
        const bool recorderFirst = round % 2 == 0;
        const Usage first = recorderFirst ? recordWithRecorder(folder, options.seconds, std::nullopt)
                                          : recordWithFfmpeg(folder, options.seconds);
        const Usage second = interrupted     ? Usage{}
                             : recorderFirst ? recordWithFfmpeg(folder, options.seconds)
                                             : recordWithRecorder(folder, options.seconds, std::nullopt);
        const Usage &ours = recorderFirst ? first : second;
        const Usage &theirs = recorderFirst ? second : first;
        if (options.rounds > 1) {
            std::printf("  round %d: recorder %.2f s, ffmpeg %.2f s, ratio %.2f\n", round + 1, ours.cpuSec(),
                        theirs.cpuSec(), theirs.cpuSec() > 0 ? ours.cpuSec() / theirs.cpuSec() : 0);
        }
        recorder.add(ours);
        ffmpeg.add(theirs);
    }
    if (interrupted) {
        return false;
    }
    printUsage("recorder", recorder, options.seconds * options.rounds);
    printUsage("ffmpeg", ffmpeg, options.seconds * options.rounds);
    const double ratio = ffmpeg.cpuSec() > 0 ? recorder.cpuSec() / ffmpeg.cpuSec() : 0;
    std::printf("  cpu ratio recorder/ffmpeg %.2f (goal <= %.1f): %s\n", ratio, scenario.ratioGoal,
                ratio <= scenario.ratioGoal ? "met" : "MISSED");
    std::printf("  recorder peak RSS %.1f MB (goal < %.0f MB): %s\n", recorder.peakRssMb, kPeakRssGoalMb,
                recorder.peakRssMb < kPeakRssGoalMb ? "met" : "MISSED");
    return recorder.exitedCleanly && ffmpeg.exitedCleanly;
}

int benchmark(const Options &options, const fs::path &folder)
{
    const PrivateDesktop desktop(folder / "desktop");
    if (!desktop.started()) {
        std::fprintf(stderr, "bench-capture: the private display and sound server did not start\n");
        return 1;
    }
    // The recorder's settings and log stay in the benchmark's folder.
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        const fs::path home = folder / "home" / name;
        fs::create_directories(home);
        ::setenv(name, home.c_str(), 1);
    }
    std::optional<Child> speech = startSpeech(folder);
    if (!speech) {
        std::fprintf(stderr, "bench-capture: espeak-ng is needed\n");
        return 1;
    }

    bool finished = true;
    const Scenario scenarios[] = {
        {"an animated", {"--animate"}, 0.8},
        {"a still", {"--slide", std::to_string(kSlideEverySeconds)}, 0.3},
    };
    for (const Scenario &scenario : scenarios) {
        finished = compare(scenario, options, folder) && finished;
        if (interrupted) {
            return 130;
        }
    }

    if (options.longRun && !interrupted) {
        Child window({MURVA_BENCH_WINDOW, "--title", "Meet - bench", "--class", "chromium,Chromium", "--animate"},
                     (folder / "window.txt").string());
        std::printf("capture: %d s, the recorder's memory\n", kLongSeconds);
        const Usage longRun = recordWithRecorder(folder, kLongSeconds, kRssEverySeconds);
        printUsage("recorder", longRun, kLongSeconds);
        printMemorySeries(longRun);
    }
    return finished ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    handleInterruptions();
    const Options options = parse(argc, argv);
    char pattern[] = "/tmp/murva-bench-capture-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("bench-capture");
        return 1;
    }
    const fs::path folder = pattern;
    const int status = benchmark(options, folder);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return status;
}
