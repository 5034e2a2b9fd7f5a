// TWavePlayer: plays a wave sound through the first sound player found on
// PATH (pw-play, paplay, aplay), each sound as one file argument. With no
// player the sound is silence and Play answers false.
//
// One sound at a time: a new Play ends an asynchronous sound still playing
// (as the system's own sound call does), so there is never a second player.
// A looping sound starts its player again each time it ends, until Stop, a
// new Play or the player's destruction; a player that fails ends the loop.
#pragma once
#include <functional>
#include <memory>
#include <string>

enum class TWaveLocation { wlFile, wlResource, wlRAM };

struct TWaveState;

class TWavePlayer {
public:
    TWavePlayer();
    ~TWavePlayer();
    TWavePlayer(const TWavePlayer&) = delete;
    TWavePlayer& operator=(const TWavePlayer&) = delete;

    bool Async() const { return Async_; }
    // Turning Async off clears Loop.
    void SetAsync(bool value);
    bool Loop() const { return Loop_; }
    // Only takes effect while Async is on.
    void SetLoop(bool value);

    TWaveLocation WaveLocation = TWaveLocation::wlFile;
    // wlFile: the file; wlResource: a resource of the program (":/..." or a
    // name under ":/").
    std::string WaveName;
    // wlRAM: the wave file's bytes (played from a private temporary file).
    std::string WaveData;
    std::function<void()> BeforePlay;
    std::function<void()> AfterPlay;

    // True when a player took the sound (synchronous: played it through).
    bool Play();
    // Ends an asynchronous sound; returns once its player has ended.
    void Stop();
    // True while an asynchronous sound plays.
    bool Playing() const;

    // The player program found on PATH ("" when none).
    static std::string PlayerProgram();

private:
    bool Async_ = false;
    bool Loop_ = false;
    std::shared_ptr<TWaveState> State_;
};
