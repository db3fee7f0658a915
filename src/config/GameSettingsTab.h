#pragma once
// The tab "環境設定": the game's thirteen options in their controls. The controls hold
// the settings while the program runs; Show and Collect copy them to and from the
// core's GameSettings, which does the loading and saving.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

#include "config/DisplayProbe.h"
#include "config/GameSettings.h"

namespace qm {

class TabHost;

// A check box that shows a stored third state (grey) but that the user only checks and
// clears.
class GameCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;
    void SetState(CheckState state);
    CheckState State() const;

  protected:
    void nextCheckState() override;
};

class GameSettingsTab : public QWidget {
    Q_OBJECT
  public:
    GameSettingsTab(TabHost& host, QWidget* parent);

    // The probe's resolutions into cboFrontBuffer.
    void ApplyProbe(const DisplayProbeResult& probe);
    // Lets the drop-down lists follow the width of their items; called before the tab
    // is shown. A list that does builds its drop-down part at once: a tab that is never
    // opened spares that at start-up.
    void BeforeFirstShow();
    void FillGameSettingChoices();
    // Sets every control, rebuilding cboFrontBuffer from displayModes. Sliders are set
    // without raising their scroll handlers.
    void Show(const GameSettings& settings);
    GameSettings Collect() const;

    // Handlers
    void cbMipMap_Click();
    void cbSound_Click();
    void cbBumpMap_Click();
    void cbHardwareCursor_Click();
    void cbOpeningMovie_Click();
    void cbSimpleCharacterMake_Click();
    void cboFrontBuffer_Click();
    void cboGeneral_Click();
    void cboMenuMap_Click();
    void cboDeformAnimation_Click();
    void efBackBufferW_Change();
    void efBackBufferH_Change();
    void sBackBufferW_Scroll();
    void sBackBufferH_Scroll();

    DisplayModeList displayModes;
    bool displayModeFailed = false;

    GameCheckBox* cbMipMap = nullptr;
    QComboBox* cboFrontBuffer = nullptr;
    QLineEdit* efBackBufferW = nullptr;
    QSlider* sBackBufferW = nullptr;
    QLineEdit* efBackBufferH = nullptr;
    QSlider* sBackBufferH = nullptr;
    GameCheckBox* cbSound = nullptr;
    QComboBox* cboDeformAnimation = nullptr;
    GameCheckBox* cbBumpMap = nullptr;
    QComboBox* cboGeneral = nullptr;
    QComboBox* cboMenuMap = nullptr;
    GameCheckBox* cbHardwareCursor = nullptr;
    GameCheckBox* cbOpeningMovie = nullptr;
    GameCheckBox* cbSimpleCharacterMake = nullptr;

  private:
    void ShowControls(const GameSettings& settings);
    void Modified(QObject* control);
    void FollowBox(QLineEdit* box, QSlider* slider);

    TabHost& host_;
    bool filling_ = false;  // while Show sets the controls
};

}  // namespace qm
