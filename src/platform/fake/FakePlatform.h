#pragma once
// Every platform service as a fake, for window tests: the test queues answers and
// reads what the program asked for.

#include "platform/Platform.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeDisplayProbe.h"
#include "platform/fake/FakeKeyState.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeSound.h"

namespace qm {

struct FakePlatform {
    FakeMessageBox messageBox;
    FakeKeyState keyState;
    FakeInstanceChannel instance;
    FakeClock clock;
    FakeFileDialogs dialogs;
    FakeShellFolders folders;
    FakeClipboard clipboard;
    FakeRegistry registry;
    FakeProcesses processes;
    FakeScreenGrabber screen;
    FakeDisplayProbe display;
    FakeSoundPlayer sound;
    FakeImageWriter imageWriter;
    Platform platform;

    FakePlatform() {
        platform.messageBox = &messageBox;
        platform.keyState = &keyState;
        platform.instance = &instance;
        platform.clock = &clock;
        platform.dialogs = &dialogs;
        platform.folders = &folders;
        platform.clipboard = &clipboard;
        platform.registry = &registry;
        platform.processes = &processes;
        platform.screen = &screen;
        platform.display = &display;
        platform.sound = &sound;
        platform.imageWriter = &imageWriter;
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;
};

}  // namespace qm
