// The game settings tab and the display probe, on the main window.
#include "app/MainWindow.h"
#include "config/DisplayProbe.h"
#include "config/GameSettings.h"
#include "config/GameSettingsTab.h"

namespace qm {

namespace {

// Stands in when no registry service was given: every value missing, nothing written.
class NoRegistry : public IRegistryBackend {
  public:
    std::optional<RegRawValue> Query(Hive, std::u16string_view, std::u16string_view) override {
        return std::nullopt;
    }
    bool Set(Hive, std::u16string_view, std::u16string_view, const RegRawValue&) override {
        return false;
    }
};

IRegistryBackend& GameRegistry(Platform& platform) {
    static NoRegistry none;
    return platform.registry != nullptr ? *platform.registry : none;
}

}  // namespace

void wMenu::CheckD3D() {
    gameSettingsTab->ApplyProbe(qm::CheckD3D(platform.display, Trace().Fn()));
}

void wMenu::FillGameSettingChoices() {
    gameSettingsTab->FillGameSettingChoices();
}

void wMenu::LoadGameSettings() {
    GameSettingsTab& tab = *gameSettingsTab;
    tab.Show(qm::LoadGameSettings(GameRegistry(platform), tab.displayModes, tab.displayModeFailed));
}

bool wMenu::GameSettingsCanBeSaved() {
    std::u16string refusal = CheckGameSettingsForSave(gameSettingsTab->Collect());
    if (refusal.empty()) return true;
    ShowMessage(refusal, MsgIcon::Warning);
    return false;
}

bool wMenu::SaveGameSettings() {
    GameSettingsTab& tab = *gameSettingsTab;
    const GameSettingsSaveResult result =
        qm::SaveGameSettings(GameRegistry(platform), tab.Collect(), tab.displayModes);
    if (result.Ok()) return true;
    std::u16string message = GameSettingsSaveMessage(result);
    // Why the store refused (for example a game that holds the registry open).
    if (std::u16string notice = platform.registry->TakeNotice(); !notice.empty())
        message += u"\r\n\r\n" + notice;
    ShowMessage(message, result.refusedBox.empty() ? MsgIcon::Critical : MsgIcon::Warning);
    return false;
}

void wMenu::GetDisplayMode() {
    qm::GetDisplayMode(platform.display, Trace().Fn());
}

}  // namespace qm
