// Application: the process's shell — window, start-up order, the fixed-step main loop, shut-down order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/settings/settings_in_force.h"
#include "platform/window/window.h"
#include "race/lineup.h"
#include "scenes/scene_base.h"

class FrameObserver;

// How this run starts; the defaults are the game as a player starts it.
struct LaunchOptions {
    int fullScreenAnswer = 0;    // IDYES or IDNO answers the full-screen question in advance; 0 asks it
    bool headless = false;       // no window: the Null device, nothing shown
    bool drawNothing = false;    // the device throws every picture away (a headless run from the command line)
    std::uint64_t maxFrames = 0; // leave the main loop after this many frames; 0 runs until quit
    bool realPad = true;         // open a gamepad plugged into the machine (automation uses its virtual one)
};

class Application {
public:
    static Application& Instance();
    static void ResetInstance();

    // Builds the window and starts the services; false when start-up failed (the reason is on stderr).
    bool Create(void* instance);
    // The main loop; returns 0 when it ends.
    int Run();
    void Shutdown();
    // The window procedure: WM_SIZE, WM_CLOSE and WM_MOUSEWHEEL; everything else is left alone.
    std::intptr_t WindowProc(void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    void* instance = nullptr;
    void* window = nullptr; // the SDL window; owner of every message box
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    bool quitRequested = false;
    bool stopped = false;
    std::int32_t frameCount = 0; // frames shown in the current frame-rate window

    LaunchOptions options;
    // The settings in force (the file's, then the flags'), handed to every scene.
    SettingsInForce settings;
    // The people at the keyboard and pads, and the seeds of the run's races (--seed, else the clock).
    race::Lineup lineup;
    RaceSeeds seeds;
    RaceChecks checks;
    RaceSession session;
    FrameObserver* observer = nullptr; // not owned
    std::uint64_t frameNumber = 0;     // frames run since start, numbered from 1

private:
    bool CreateMainWindow();
    bool AskFullScreen();
    bool StartDevice(bool fullScreen);
    bool FramesExhausted() const;
    // Real clock: the frames the clock has run since the last pass, at least 1, at most a few.
    std::uint32_t DueFrames(std::uint32_t now);
    void RunPass();
    // One update and its render, drawn and presented only when shown; true when the loop must end.
    bool RunFrame(bool shown);
    void StartPad();
    // Applies the graphics level of the settings, and the heap's trim threshold that goes with it.
    void ApplyGraphicsLevel();

    platform::window::Window mainWindow;
    int heapTrimThreshold = 0; // bytes of freed memory the heap's top may keep; 0: not set yet
    bool paced = false;
    std::uint32_t nextFrameTime = 0; // real clock: when the next frame's update is due
};
