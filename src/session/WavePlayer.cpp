#include "session/WavePlayer.h"

#include "platform/core/Folders.h"
#include "platform/core/Process.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Shared with the reaping threads of the players, which outlive no state.
struct TWaveState {
    std::mutex M;
    std::condition_variable Ended;
    bool Running = false;
    bool Looping = false;
    pid_t Pid = -1;
    std::vector<std::string> Argv;
    std::string TempFile; // removed when the sound ends for good
};

namespace {

void FinishLocked(TWaveState& s) {
    s.Running = false;
    s.Pid = -1;
    s.Looping = false;
    if (!s.TempFile.empty()) {
        ::unlink(s.TempFile.c_str());
        s.TempFile.clear();
    }
    s.Ended.notify_all();
}

// Starts the player once more; with the lock held.
bool StartLocked(const std::shared_ptr<TWaveState>& state) {
    win::TSpawnOptions options;
    std::weak_ptr<TWaveState> weak = state;
    options.OnExit = [weak](int status) {
        auto s = weak.lock();
        if (!s) return;
        std::lock_guard<std::mutex> lock(s->M);
        if (s->Looping && status == 0 && StartLocked(s)) return;
        FinishLocked(*s);
    };
    win::TSpawnResult r = win::SpawnProcess(state->Argv, options);
    if (r.Error != 0) return false;
    state->Pid = r.Pid;
    state->Running = true;
    return true;
}

bool IsReadableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

// The bytes in a new private file; "" when it cannot be written.
std::string WriteTempWave(const std::string& bytes) {
    std::string folder = win::GetTempFolder();
    if (folder.empty()) return {};
    std::string path = folder + "wave-XXXXXX.wav";
    int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) return {};
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(path.c_str());
            return {};
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

} // namespace

TWavePlayer::TWavePlayer() : State_(std::make_shared<TWaveState>()) {}

TWavePlayer::~TWavePlayer() {
    Stop();
}

void TWavePlayer::SetAsync(bool value) {
    Async_ = value;
    if (!Async_) Loop_ = false;
}

void TWavePlayer::SetLoop(bool value) {
    Loop_ = value && Async_;
}

std::string TWavePlayer::PlayerProgram() {
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        std::string path = win::FindProgramOnPath(name);
        if (!path.empty()) return path;
    }
    return {};
}

bool TWavePlayer::Playing() const {
    std::lock_guard<std::mutex> lock(State_->M);
    return State_->Running;
}

void TWavePlayer::Stop() {
    std::unique_lock<std::mutex> lock(State_->M);
    State_->Looping = false;
    if (!State_->Running) return;
    if (State_->Pid > 0) ::kill(State_->Pid, SIGTERM);
    if (!State_->Ended.wait_for(lock, std::chrono::seconds(2), [&] { return !State_->Running; })) {
        if (State_->Pid > 0) ::kill(State_->Pid, SIGKILL);
        State_->Ended.wait_for(lock, std::chrono::seconds(2), [&] { return !State_->Running; });
    }
    if (State_->Running) FinishLocked(*State_); // a player that will not die is left alone
}

bool TWavePlayer::Play() {
    if (BeforePlay) BeforePlay();
    Stop();
    bool ok = false;
    const std::string player = PlayerProgram();
    std::string file, temp;
    if (WaveLocation == TWaveLocation::wlFile) {
        if (IsReadableFile(WaveName)) file = WaveName;
    } else {
        std::string bytes = WaveData;
        if (WaveLocation == TWaveLocation::wlResource) {
            bytes.clear();
            QString name = QString::fromLocal8Bit(WaveName.c_str());
            if (!name.startsWith(QLatin1Char(':'))) name.prepend(QStringLiteral(":/"));
            QFile res(name);
            if (!WaveName.empty() && res.open(QIODevice::ReadOnly))
                bytes = res.readAll().toStdString();
        }
        if (!bytes.empty() && !player.empty()) temp = file = WriteTempWave(bytes);
    }
    if (!player.empty() && !file.empty()) {
        std::vector<std::string> argv{player};
        if (player.size() >= 5 && player.compare(player.size() - 5, 5, "aplay") == 0 &&
            (player.size() == 5 || player[player.size() - 6] == '/'))
            argv.push_back("-q");
        argv.push_back(file);
        if (Async_) {
            std::lock_guard<std::mutex> lock(State_->M);
            State_->Argv = argv;
            State_->Looping = Loop_;
            State_->TempFile = temp;
            ok = StartLocked(State_);
            if (ok)
                temp.clear(); // the state removes it when the sound ends
            else
                State_->TempFile.clear();
        } else {
            win::TSpawnOptions options;
            options.Wait = true;
            win::TSpawnResult r = win::SpawnProcess(argv, options);
            ok = r.Error == 0 && r.ExitStatus == 0;
        }
    }
    if (!temp.empty()) ::unlink(temp.c_str());
    if (AfterPlay) AfterPlay();
    return ok;
}
