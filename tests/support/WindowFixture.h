#pragma once
// A main window on fake platform services, for Qt Test window tests.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/MainWindow.h"
#include "macro/Cp932.h"
#include "platform/QtText.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"

namespace qm::test {

struct WindowFixture {
    TempDir dir;
    FakePlatform fake;
    std::unique_ptr<wMenu> window;
    int statusMessageMs = 10000;

    // Runs the start-up steps; the folder picker at the end is cancelled unless a folder
    // was queued in fake.dialogs.folders.
    wMenu& Start(bool finishStartup = true) {
        window = std::make_unique<wMenu>(fake.platform,
                                         WindowOptions{dir.Path("Debug.txt"), statusMessageMs});
        if (window->Form_Load()) {
            window->show();
            // Focus events (which select macros) need an active window.
            QApplication::setActiveWindow(window.get());
            if (finishStartup) window->FinishStartup();
        }
        return *window;
    }
    // The trace file's lines (CP932, CR LF).
    std::vector<std::u16string> TraceLines() const {
        std::vector<uint8_t> bytes = dir.Read("Debug.txt");
        std::u16string text = Cp932Decode(bytes);
        std::vector<std::u16string> lines;
        std::size_t start = 0, end;
        while ((end = text.find(u"\r\n", start)) != std::u16string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
};

}  // namespace qm::test
