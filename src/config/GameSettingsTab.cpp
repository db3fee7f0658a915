#include "config/GameSettingsTab.h"
#include "platform/QtText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "editor/CharacterState.h"
#include "editor/EditHistory.h"
#include "editor/TabHost.h"

namespace qm {

namespace {

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QComboBox* Combo(const char* name, QWidget* parent) {
    auto* combo = new QComboBox(parent);  // not editable: a drop-down list
    combo->setObjectName(QLatin1String(name));
    return combo;
}

QLineEdit* SizeBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(5);
    // Digits only: a letter or sign typed is refused where it is typed.
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setFixedWidth(64);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QSlider* StepSlider(const char* name, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(0, kBackBufferStepMax);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setFixedWidth(120);
    slider->setToolTip(QStringLiteral("256 / 512 / 1024"));
    return slider;
}

// The pixel sizes under the sliders' ticks.
QWidget* StepScale(QWidget* parent) {
    auto* scale = new QWidget(parent);
    scale->setFixedWidth(120);
    auto* row = new QHBoxLayout(scale);
    row->setContentsMargins(0, 0, 0, 0);
    for (int step = 0; step <= kBackBufferStepMax; ++step) {
        if (step > 0) row->addStretch(1);
        auto* label = new QLabel(Q(*BackBufferTextForStep(step)), scale);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        label->setFont(font);
        row->addWidget(label);
    }
    return scale;
}

}  // namespace

void GameCheckBox::SetState(CheckState state) {
    if (state == CheckState::Grey) {
        setCheckState(Qt::PartiallyChecked);  // makes the box three-state
        return;
    }
    setTristate(false);
    setCheckState(state == CheckState::Checked ? Qt::Checked : Qt::Unchecked);
}

CheckState GameCheckBox::State() const {
    switch (checkState()) {
        case Qt::Checked:
            return CheckState::Checked;
        case Qt::PartiallyChecked:
            return CheckState::Grey;
        default:
            return CheckState::Clear;
    }
}

void GameCheckBox::nextCheckState() {
    // Grey is only ever the stored state; a click leaves it for good.
    const bool check = checkState() != Qt::Checked;
    setTristate(false);
    setCheckState(check ? Qt::Checked : Qt::Unchecked);
}

GameSettingsTab::GameSettingsTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("GameSettingsTab"));
    auto check = [this](const char* name, const QString& caption) {
        auto* box = new GameCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        return box;
    };

    cboFrontBuffer = Combo("cboFrontBuffer", this);
    efBackBufferW = SizeBox("efBackBufferW", this);
    sBackBufferW = StepSlider("sBackBufferW", this);
    efBackBufferH = SizeBox("efBackBufferH", this);
    sBackBufferH = StepSlider("sBackBufferH", this);
    cboGeneral = Combo("cboGeneral", this);
    cboMenuMap = Combo("cboMenuMap", this);
    cboDeformAnimation = Combo("cboDeformAnimation", this);
    cbMipMap = check("cbMipMap", tr("複数のテクスチャを用意"));
    cbBumpMap = check("cbBumpMap", tr("凹凸の表示(バンプマッピング)"));
    cbBumpMap->setEnabled(false);  // until the probe finds the hardware able
    cbSound = check("cbSound", tr("サウンドを鳴らす"));
    cbHardwareCursor = check("cbHardwareCursor", tr("ハードウェアカーソルの使用"));
    cbOpeningMovie = check("cbOpeningMovie", tr("オープニングムービーを流す"));
    cbSimpleCharacterMake = check("cbSimpleCharacterMake", tr("[新規作成]時の背景簡略化"));

    // Left: what the screen shows and how finely. Right: sound and the rest.
    auto* screen = new QGroupBox(tr("画面"), this);
    auto* screenGrid = new QGridLayout(screen);
    screenGrid->addWidget(Label("stFrontBuffer", tr("ディスプレイ解像度"), screen), 0, 0);
    screenGrid->addWidget(cboFrontBuffer, 0, 1, 1, 3, Qt::AlignLeft);
    screenGrid->addWidget(Label("stBackBuffer", tr("内部解像度"), screen), 1, 0);
    screenGrid->addWidget(Label("stBackBufferW", tr("幅"), screen), 1, 1, Qt::AlignRight);
    screenGrid->addWidget(efBackBufferW, 1, 2);
    screenGrid->addWidget(sBackBufferW, 1, 3);
    screenGrid->addWidget(Label("stBackBufferH", tr("高さ"), screen), 2, 1, Qt::AlignRight);
    screenGrid->addWidget(efBackBufferH, 2, 2);
    screenGrid->addWidget(sBackBufferH, 2, 3);
    screenGrid->addWidget(StepScale(screen), 3, 3);
    screenGrid->setColumnStretch(4, 1);

    auto* quality = new QGroupBox(tr("画質"), this);
    auto* qualityGrid = new QGridLayout(quality);
    qualityGrid->addWidget(Label("stGeneral", tr("テクスチャ"), quality), 0, 0);
    qualityGrid->addWidget(cboGeneral, 0, 1, Qt::AlignLeft);
    qualityGrid->addWidget(Label("stMenuMap", tr("地図(マップ)"), quality), 1, 0);
    qualityGrid->addWidget(cboMenuMap, 1, 1, Qt::AlignLeft);
    qualityGrid->addWidget(Label("stDeformAnimation", tr("草木のアニメーション"), quality), 2, 0);
    qualityGrid->addWidget(cboDeformAnimation, 2, 1, Qt::AlignLeft);
    qualityGrid->addWidget(cbMipMap, 3, 0, 1, 2);
    qualityGrid->addWidget(cbBumpMap, 4, 0, 1, 2);
    qualityGrid->setColumnStretch(2, 1);

    auto* sound = new QGroupBox(tr("サウンド"), this);
    auto* soundBox = new QVBoxLayout(sound);
    soundBox->addWidget(cbSound);

    auto* other = new QGroupBox(tr("その他"), this);
    auto* otherBox = new QVBoxLayout(other);
    otherBox->addWidget(cbHardwareCursor);
    otherBox->addWidget(cbOpeningMovie);
    otherBox->addWidget(cbSimpleCharacterMake);

    auto* left = new QVBoxLayout;
    left->addWidget(screen);
    left->addWidget(quality);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(sound);
    right->addWidget(other);
    right->addStretch(1);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    auto onCheck = [this](GameCheckBox* box, void (GameSettingsTab::*handler)()) {
        connect(box, &QCheckBox::stateChanged, this, [this, handler] { (this->*handler)(); });
    };
    onCheck(cbMipMap, &GameSettingsTab::cbMipMap_Click);
    onCheck(cbSound, &GameSettingsTab::cbSound_Click);
    onCheck(cbBumpMap, &GameSettingsTab::cbBumpMap_Click);
    onCheck(cbHardwareCursor, &GameSettingsTab::cbHardwareCursor_Click);
    onCheck(cbOpeningMovie, &GameSettingsTab::cbOpeningMovie_Click);
    onCheck(cbSimpleCharacterMake, &GameSettingsTab::cbSimpleCharacterMake_Click);
    auto onCombo = [this](QComboBox* combo, void (GameSettingsTab::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, handler] { (this->*handler)(); });
    };
    onCombo(cboFrontBuffer, &GameSettingsTab::cboFrontBuffer_Click);
    onCombo(cboGeneral, &GameSettingsTab::cboGeneral_Click);
    onCombo(cboMenuMap, &GameSettingsTab::cboMenuMap_Click);
    onCombo(cboDeformAnimation, &GameSettingsTab::cboDeformAnimation_Click);
    connect(efBackBufferW, &QLineEdit::textChanged, this, [this] { efBackBufferW_Change(); });
    connect(efBackBufferH, &QLineEdit::textChanged, this, [this] { efBackBufferH_Change(); });
    // Show() blocks these while it sets the sliders, so only the user's movement writes.
    connect(sBackBufferW, &QSlider::valueChanged, this, [this] { sBackBufferW_Scroll(); });
    connect(sBackBufferH, &QSlider::valueChanged, this, [this] { sBackBufferH_Scroll(); });
}

void GameSettingsTab::ApplyProbe(const DisplayProbeResult& probe) {
    displayModes = probe.modes;
    displayModeFailed = probe.displayModeFailed;
    for (const Resolution& r : displayModes) cboFrontBuffer->addItem(Q(DisplayModeCaption(r)));
}

void GameSettingsTab::BeforeFirstShow() {
    for (QComboBox* combo : {cboFrontBuffer, cboGeneral, cboMenuMap, cboDeformAnimation})
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void GameSettingsTab::FillGameSettingChoices() {
    // The same choices as the core's caption lists, index for index.
    const QStringList general{tr("高速－低品質"), tr("中速－やや高品質"), tr("低速－高品質")};
    const QStringList menuMap{tr("高速－低品質"), tr("低速－高品質")};
    const QStringList deform{tr("なし"), tr("あり"), tr("あり－高品質")};
    static_assert(kGeneralCaptions.size() == 3 && kMenuMapCaptions.size() == 2 &&
                  kDeformAnimationCaptions.size() == 3);
    cboGeneral->addItems(general);
    cboMenuMap->addItems(menuMap);
    cboDeformAnimation->addItems(deform);
}

void GameSettingsTab::Show(const GameSettings& s) {
    {
        const FillGuard filling(filling_);
        ShowControls(s);
    }
    if (EditHistory* history = host_.Shown().history) history->GameSettingsShown();
}

void GameSettingsTab::ShowControls(const GameSettings& s) {
    cbSound->SetState(s.sound);
    cbMipMap->SetState(s.mipMap);
    cboFrontBuffer->clear();
    for (const Resolution& r : displayModes) cboFrontBuffer->addItem(Q(DisplayModeCaption(r)));
    cboFrontBuffer->setCurrentIndex(s.frontBuffer);
    {
        const QSignalBlocker blockW(sBackBufferW);
        const QSignalBlocker blockH(sBackBufferH);
        sBackBufferW->setValue(s.backBufferWStep);
        sBackBufferH->setValue(s.backBufferHStep);
    }
    efBackBufferW->setText(Q(s.backBufferW));
    efBackBufferH->setText(Q(s.backBufferH));
    cboGeneral->setCurrentIndex(s.general);
    cboMenuMap->setCurrentIndex(s.menuMap);
    cboDeformAnimation->setCurrentIndex(s.deformAnimation);
    cbBumpMap->SetState(s.bumpMap);
    cbOpeningMovie->SetState(s.openingMovie);
    cbHardwareCursor->SetState(s.hardwareCursor);
    cbSimpleCharacterMake->SetState(s.simpleCharacterMake);
}

GameSettings GameSettingsTab::Collect() const {
    GameSettings s;
    s.sound = cbSound->State();
    s.mipMap = cbMipMap->State();
    s.frontBuffer = cboFrontBuffer->currentIndex();
    s.backBufferW = efBackBufferW->text().toStdU16String();
    s.backBufferH = efBackBufferH->text().toStdU16String();
    s.backBufferWStep = sBackBufferW->value();
    s.backBufferHStep = sBackBufferH->value();
    s.general = cboGeneral->currentIndex();
    s.menuMap = cboMenuMap->currentIndex();
    s.bumpMap = cbBumpMap->State();
    s.deformAnimation = cboDeformAnimation->currentIndex();
    s.openingMovie = cbOpeningMovie->State();
    s.hardwareCursor = cbHardwareCursor->State();
    s.simpleCharacterMake = cbSimpleCharacterMake->State();
    return s;
}

void GameSettingsTab::Modified(QObject* control) {
    if (filling_) return;
    // The controls already show the change; the history knows how they were before.
    EditHistory::Edit edit(host_.History(), tr("環境設定の変更"), EditScope{.gameSettings = true});
    edit.Merging({control});
}

void GameSettingsTab::cbMipMap_Click() {
    Modified(cbMipMap);
}
void GameSettingsTab::cbSound_Click() {
    Modified(cbSound);
}
void GameSettingsTab::cbBumpMap_Click() {
    Modified(cbBumpMap);
}
void GameSettingsTab::cbHardwareCursor_Click() {
    Modified(cbHardwareCursor);
}
void GameSettingsTab::cbOpeningMovie_Click() {
    Modified(cbOpeningMovie);
}
void GameSettingsTab::cbSimpleCharacterMake_Click() {
    Modified(cbSimpleCharacterMake);
}
void GameSettingsTab::cboFrontBuffer_Click() {
    Modified(cboFrontBuffer);
}
void GameSettingsTab::cboGeneral_Click() {
    Modified(cboGeneral);
}
void GameSettingsTab::cboMenuMap_Click() {
    Modified(cboMenuMap);
}
void GameSettingsTab::cboDeformAnimation_Click() {
    Modified(cboDeformAnimation);
}
// A number typed moves the slider to its step, as the slider writes its step's number.
void GameSettingsTab::FollowBox(QLineEdit* box, QSlider* slider) {
    const std::u16string text = U(box->text());
    if (text.empty()) return;
    if (const std::optional<int16_t> value = ParseBackBufferText(text)) {
        const QSignalBlocker quiet(slider);
        slider->setValue(BackBufferStep(*value));
    }
}
void GameSettingsTab::efBackBufferW_Change() {
    FollowBox(efBackBufferW, sBackBufferW);
    Modified(efBackBufferW);
}
void GameSettingsTab::efBackBufferH_Change() {
    FollowBox(efBackBufferH, sBackBufferH);
    Modified(efBackBufferH);
}

// The text change is the step; a move that leaves the text as it is is one too, so that
// undoing puts the slider back.
void GameSettingsTab::sBackBufferW_Scroll() {
    if (auto text = BackBufferTextForStep(sBackBufferW->value())) efBackBufferW->setText(Q(*text));
    Modified(efBackBufferW);
}

void GameSettingsTab::sBackBufferH_Scroll() {
    if (auto text = BackBufferTextForStep(sBackBufferH->value())) efBackBufferH->setText(Q(*text));
    Modified(efBackBufferH);
}

}  // namespace qm
