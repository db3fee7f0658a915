#pragma once
// The tab "スクリーンショット": when shots are taken (mode, key, interval), where and how
// they are stored, and the start and stop sounds. Every change goes straight into the
// window's preferences; none of it marks the macro data as modified.

#include <QWidget>
#include <array>
#include <memory>

#include "capture/CaptureSounds.h"
#include "capture/CaptureTriggers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace qm {

class TabHost;
class dCheckKeyCode;

class CaptureTab : public QWidget {
    Q_OBJECT
  public:
    CaptureTab(TabHost& host, QWidget* parent);
    ~CaptureTab() override;

    // Fills both sound boxes from the offered sounds (start-up, before the preferences).
    void SetSoundItems(SoundItems items);
    // Copies the capture preferences into the controls, running their handlers as the
    // user's choices would, but without playing sounds or changing the stored interval.
    void ShowPreferences();
    // Sets the sound lists' width rule; called before the tab is shown, as the rule
    // builds the lists' drop-down parts at once, which a tab never opened can spare.
    void BeforeFirstShow();

    // Handlers
    void optCapture_Click(int index);
    void efCaptureInterval_Change();
    void efCaptureInterval_LostFocus();
    void efCaptureKeyCode_Change();
    void pbResetKeyCode_Click();
    void efCaptureName_Change();
    void cbLockCaptureName_Click();
    void cbSaveAsJpeg_Click();
    void sJpegQuality_Change();
    void pbCapturePath_Click();
    void pbCheckKeyCode_Click();
    void cboCaptureStartSE_Click();
    void cboCaptureStopSE_Click();
    void pbCaptureStartSE_Click();
    void pbCaptureStopSE_Click();
    void tCapture_Timer();
    void tKeyCapture_Timer();

    CaptureTriggers& Triggers() { return triggers_; }
    const SoundItems& Sounds() const { return soundItems_; }
    dCheckKeyCode* KeyCodeDialog() const { return keyCodeDialog_.get(); }

    // Controls
    std::array<QRadioButton*, 3> optCapture{};
    QLineEdit* efCaptureInterval = nullptr;
    QLabel* stCapturePath = nullptr;
    QPushButton* pbCapturePath = nullptr;
    QCheckBox* cbSaveAsJpeg = nullptr;
    QSlider* sJpegQuality = nullptr;
    std::array<QLabel*, 3> stJpegQuality{};  // "画質", "低", "高"
    QCheckBox* cbLockCaptureName = nullptr;
    QLineEdit* efCaptureName = nullptr;
    QLabel* stCaptureNameProblem = nullptr;
    QLineEdit* efCaptureKeyCode = nullptr;
    QPushButton* pbCheckKeyCode = nullptr;
    QPushButton* pbResetKeyCode = nullptr;
    QComboBox* cboCaptureStartSE = nullptr;
    QComboBox* cboCaptureStopSE = nullptr;
    QPushButton* pbCaptureStartSE = nullptr;
    QPushButton* pbCaptureStopSE = nullptr;
    QTimer* tCapture = nullptr;
    QTimer* tKeyCapture = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void SyncTimers();
    void ShowShot(const ShotResult& shot);
    void FillSoundBox(QComboBox* box, const SoundChoiceList& list);
    void SelectSoundFile(QComboBox* box, SoundChoiceList& list, std::u16string_view path);
    void SoundBoxClicked(QComboBox* box, const SoundChoiceList& list, std::u16string& field);
    void BrowseSound(QComboBox* box, SoundChoiceList& list, std::u16string& field);

    TabHost& host_;
    bool filling_ = false;  // while ShowPreferences runs
    CaptureTriggers triggers_;
    SoundItems soundItems_;
    SoundChoiceList startSounds_{SoundItems{}};
    SoundChoiceList stopSounds_{SoundItems{}};
    Reason lastShotError_;
    std::unique_ptr<dCheckKeyCode> keyCodeDialog_;
};

}  // namespace qm
