#include "capture/CaptureTab.h"
#include "platform/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "app/Wording.h"
#include "capture/CaptureSettings.h"
#include "capture/KeyCodeDialog.h"
#include "editor/TabHost.h"
#include "platform/Platform.h"
#include "settings/ToolPreferences.h"

namespace qm {

namespace {

template <typename T, typename... Args>
T* Named(const char* name, Args&&... args) {
    T* widget = new T(std::forward<Args>(args)...);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* Heading(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

// Check box value as the preferences keep it: 0 clear, 1 checked, 2 grey.
int16_t CheckValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

// A stored value the box cannot show is left alone: false.
bool ShowCheckValue(QCheckBox* box, int16_t value) {
    if (value < 0 || value > 2) return false;
    box->setTristate(value == 2);
    box->setCheckState(value == 2   ? Qt::PartiallyChecked
                       : value == 1 ? Qt::Checked
                                    : Qt::Unchecked);
    return true;
}

}  // namespace

CaptureTab::CaptureTab(TabHost& host, QWidget* parent)
    : QWidget(parent),
      host_(host),
      triggers_(host.Prefs(),
                {host.Services().keyState, host.Services().clock, host.Services().screen,
                 host.Services().imageWriter, host.Services().sound}) {
    setObjectName(QStringLiteral("CaptureTab"));
    BuildControls();

    tCapture = new QTimer(this);
    tCapture->setObjectName(QStringLiteral("tCapture"));
    tCapture->setInterval(CaptureTriggers::kCapturePeriodMs);
    connect(tCapture, &QTimer::timeout, this, [this] { tCapture_Timer(); });
    tKeyCapture = new QTimer(this);
    tKeyCapture->setObjectName(QStringLiteral("tKeyCapture"));
    tKeyCapture->setInterval(CaptureTriggers::kKeyPollPeriodMs);
    connect(tKeyCapture, &QTimer::timeout, this, [this] { tKeyCapture_Timer(); });

    triggers_.onTimersChanged = [this] { SyncTimers(); };
    triggers_.onShot = [this](const ShotResult& shot) { ShowShot(shot); };

    SetSoundItems(SoundItems{{std::u16string()}, {std::u16string(kNoSoundCaption)}});
}

CaptureTab::~CaptureTab() = default;

void CaptureTab::BuildControls() {
    // Left: when shots are taken and where they go. Right: their format, name and sounds.
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 4, 8, 4);
    columns->setSpacing(24);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    // Nested layouts take their parent's spacing unless told otherwise.
    left->setSpacing(4);
    right->setSpacing(4);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* modes = new QButtonGroup(this);
    const char* const modeNames[] = {"optCapture0", "optCapture1", "optCapture2"};
    const QString modeCaptions[] = {tr("なし"), tr("特定のキーでスクリーンショット"),
                                    tr("特定のキーで連続撮影開始／終了")};
    for (int i = 0; i < 3; ++i) {
        optCapture[std::size_t(i)] = Named<QRadioButton>(modeNames[i], modeCaptions[i], this);
        modes->addButton(optCapture[std::size_t(i)], i);
        left->addWidget(optCapture[std::size_t(i)]);
    }
    optCapture[0]->setChecked(true);
    connect(modes, &QButtonGroup::idClicked, this, [this](int id) { optCapture_Click(id); });

    auto* intervalRow = new QHBoxLayout;
    intervalRow->setSpacing(6);
    intervalRow->setContentsMargins(24, 0, 0, 0);
    efCaptureInterval = Named<QLineEdit>("efCaptureInterval", QStringLiteral("10"), this);
    efCaptureInterval->setFixedWidth(72);
    efCaptureInterval->setAlignment(Qt::AlignRight);
    efCaptureInterval->setEnabled(false);
    efCaptureInterval->installEventFilter(this);
    intervalRow->addWidget(efCaptureInterval);
    intervalRow->addWidget(Heading(tr("秒ごと"), this));
    intervalRow->addStretch(1);
    left->addLayout(intervalRow);
    connect(efCaptureInterval, &QLineEdit::textChanged, this,
            [this] { efCaptureInterval_Change(); });

    left->addSpacing(8);
    left->addWidget(Heading(tr("・スクリーンショットに使用するキー"), this));
    auto* keyGrid = new QGridLayout;
    keyGrid->setSpacing(6);
    keyGrid->setContentsMargins(16, 0, 0, 0);
    keyGrid->addWidget(Heading(tr("キーコード"), this), 0, 0);
    efCaptureKeyCode = Named<QLineEdit>("efCaptureKeyCode", QStringLiteral("44"), this);
    efCaptureKeyCode->setFixedWidth(72);
    efCaptureKeyCode->setAlignment(Qt::AlignRight);
    keyGrid->addWidget(efCaptureKeyCode, 0, 1);
    pbCheckKeyCode = Named<QPushButton>("pbCheckKeyCode", tr("コードを調べる"), this);
    keyGrid->addWidget(pbCheckKeyCode, 0, 2);
    pbResetKeyCode = Named<QPushButton>("pbResetKeyCode", tr("PrintScreenに戻す"), this);
    keyGrid->addWidget(pbResetKeyCode, 1, 2);
    keyGrid->setColumnStretch(3, 1);
    left->addLayout(keyGrid);
    connect(efCaptureKeyCode, &QLineEdit::textChanged, this, [this] { efCaptureKeyCode_Change(); });
    connect(pbCheckKeyCode, &QPushButton::clicked, this, [this] { pbCheckKeyCode_Click(); });
    connect(pbResetKeyCode, &QPushButton::clicked, this, [this] { pbResetKeyCode_Click(); });

    left->addSpacing(8);
    left->addWidget(Heading(tr("・保存先"), this));
    auto* pathRow = new QHBoxLayout;
    pathRow->setSpacing(6);
    pathRow->setContentsMargins(16, 0, 0, 0);
    stCapturePath = Named<QLabel>("stCapturePath", this);
    stCapturePath->setFrameShape(QFrame::StyledPanel);
    stCapturePath->setFrameShadow(QFrame::Sunken);
    stCapturePath->setMinimumWidth(200);
    stCapturePath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    stCapturePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pbCapturePath = Named<QPushButton>("pbCapturePath", tr("参照..."), this);
    pathRow->addWidget(stCapturePath, 1);
    pathRow->addWidget(pbCapturePath);
    left->addLayout(pathRow);
    connect(pbCapturePath, &QPushButton::clicked, this, [this] { pbCapturePath_Click(); });

    left->addStretch(1);

    cbSaveAsJpeg = Named<QCheckBox>("cbSaveAsJpeg", tr("JPEG形式"), this);
    cbSaveAsJpeg->setChecked(true);
    right->addWidget(cbSaveAsJpeg);
    auto* qualityRow = new QHBoxLayout;
    qualityRow->setSpacing(6);
    qualityRow->setContentsMargins(24, 0, 0, 0);
    stJpegQuality[0] = Named<QLabel>("stJpegQuality", tr("画質"), this);
    stJpegQuality[1] = Named<QLabel>("stJpegQualityLow", tr("低"), this);
    stJpegQuality[2] = Named<QLabel>("stJpegQualityHigh", tr("高"), this);
    sJpegQuality = Named<QSlider>("sJpegQuality", Qt::Horizontal, this);
    sJpegQuality->setRange(10, 100);
    sJpegQuality->setSingleStep(1);
    sJpegQuality->setPageStep(5);
    sJpegQuality->setTickPosition(QSlider::TicksBelow);
    sJpegQuality->setTickInterval(10);
    sJpegQuality->setValue(80);
    qualityRow->addWidget(stJpegQuality[0]);
    qualityRow->addSpacing(8);
    qualityRow->addWidget(stJpegQuality[1]);
    qualityRow->addWidget(sJpegQuality, 1);
    qualityRow->addWidget(stJpegQuality[2]);
    right->addLayout(qualityRow);
    connect(cbSaveAsJpeg, &QCheckBox::clicked, this, [this] { cbSaveAsJpeg_Click(); });
    connect(sJpegQuality, &QSlider::valueChanged, this, [this] { sJpegQuality_Change(); });

    right->addSpacing(8);
    cbLockCaptureName = Named<QCheckBox>("cbLockCaptureName", tr("ファイル名を固定"), this);
    right->addWidget(cbLockCaptureName);
    efCaptureName = Named<QLineEdit>("efCaptureName", QStringLiteral("ScreenShot"), this);
    efCaptureName->setEnabled(false);
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(6);
    nameRow->setContentsMargins(24, 0, 0, 0);
    nameRow->addWidget(efCaptureName);
    right->addLayout(nameRow);
    // Says why a typed name cannot be used; the last usable one stays in effect.
    stCaptureNameProblem = Named<QLabel>("stCaptureNameProblem", QString(), this);
    stCaptureNameProblem->setWordWrap(true);
    stCaptureNameProblem->setContentsMargins(24, 0, 0, 0);
    QPalette red = stCaptureNameProblem->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    stCaptureNameProblem->setPalette(red);
    stCaptureNameProblem->hide();
    right->addWidget(stCaptureNameProblem);
    right->addSpacing(8);
    right->addWidget(Heading(tr("・効果音"), this));
    auto* soundGrid = new QGridLayout;
    soundGrid->setSpacing(6);
    soundGrid->setContentsMargins(16, 0, 0, 0);
    soundGrid->addWidget(Heading(tr("撮影／連続撮影開始"), this), 0, 0, 1, 2);
    cboCaptureStartSE = Named<QComboBox>("cboCaptureStartSE", this);
    pbCaptureStartSE = Named<QPushButton>("pbCaptureStartSE", tr("参照..."), this);
    soundGrid->addWidget(cboCaptureStartSE, 1, 0);
    soundGrid->addWidget(pbCaptureStartSE, 1, 1);
    soundGrid->addWidget(Heading(tr("連続撮影終了"), this), 2, 0, 1, 2);
    cboCaptureStopSE = Named<QComboBox>("cboCaptureStopSE", this);
    pbCaptureStopSE = Named<QPushButton>("pbCaptureStopSE", tr("参照..."), this);
    soundGrid->addWidget(cboCaptureStopSE, 3, 0);
    soundGrid->addWidget(pbCaptureStopSE, 3, 1);
    soundGrid->setColumnStretch(0, 1);
    // Twelve characters wide, however long the sounds' names (see BeforeFirstShow).
    for (QComboBox* box : {cboCaptureStartSE, cboCaptureStopSE}) box->setMinimumContentsLength(12);
    right->addLayout(soundGrid);
    connect(cboCaptureStartSE, &QComboBox::activated, this, [this] { cboCaptureStartSE_Click(); });
    connect(cboCaptureStopSE, &QComboBox::activated, this, [this] { cboCaptureStopSE_Click(); });
    connect(pbCaptureStartSE, &QPushButton::clicked, this, [this] { pbCaptureStartSE_Click(); });
    connect(pbCaptureStopSE, &QPushButton::clicked, this, [this] { pbCaptureStopSE_Click(); });

    right->addStretch(1);
    connect(cbLockCaptureName, &QCheckBox::clicked, this, [this] { cbLockCaptureName_Click(); });
    connect(efCaptureName, &QLineEdit::textChanged, this, [this] { efCaptureName_Change(); });
}

void CaptureTab::BeforeFirstShow() {
    for (QComboBox* box : {cboCaptureStartSE, cboCaptureStopSE})
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

bool CaptureTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == efCaptureInterval && event->type() == QEvent::FocusOut) {
        efCaptureInterval_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void CaptureTab::SetSoundItems(SoundItems items) {
    soundItems_ = std::move(items);
    startSounds_ = SoundChoiceList(soundItems_);
    stopSounds_ = SoundChoiceList(soundItems_);
    FillSoundBox(cboCaptureStartSE, startSounds_);
    FillSoundBox(cboCaptureStopSE, stopSounds_);
}

void CaptureTab::FillSoundBox(QComboBox* box, const SoundChoiceList& list) {
    const QSignalBlocker quiet(box);
    const int selected = std::max(box->currentIndex(), 0);
    box->clear();
    // The entry for no sound is the only caption that is not a file name.
    for (const SoundChoiceList::Entry& entry : list.Entries())
        box->addItem(entry.path.empty() && entry.caption == kNoSoundCaption ? tr("(なし)")
                                                                            : Q(entry.caption));
    box->setCurrentIndex(std::min(selected, box->count() - 1));
}

void CaptureTab::ShowPreferences() {
    const FillGuard filling(filling_);
    ToolPreferences& prefs = host_.Prefs();
    // Each step stands alone: a value its control cannot show is skipped.
    if (prefs.CaptureMode >= 0 && prefs.CaptureMode <= 2) {
        optCapture[std::size_t(prefs.CaptureMode)]->setChecked(true);
        optCapture_Click(prefs.CaptureMode);
    }
    efCaptureInterval->setText(Q(IntervalTextFor(prefs.CaptureInterval)));
    stCapturePath->setText(Q(prefs.CapturePath));
    if (ShowCheckValue(cbSaveAsJpeg, prefs.SaveAsJpeg)) cbSaveAsJpeg_Click();
    // A stored quality the slider cannot show stays stored until the player moves the
    // slider; the slider shows the nearest value, which is also what a shot uses.
    {
        const QSignalBlocker quiet(sJpegQuality);
        sJpegQuality->setValue(ClampJpegQuality(prefs.JpegQuality));
    }
    if (ShowCheckValue(cbLockCaptureName, prefs.LockCaptureName)) cbLockCaptureName_Click();
    efCaptureName->setText(Q(prefs.CaptureName));
    efCaptureKeyCode->setText(QString::number(prefs.CaptureKeyCode));
    SelectSoundFile(cboCaptureStartSE, startSounds_, prefs.CaptureStartSE);
    SelectSoundFile(cboCaptureStopSE, stopSounds_, prefs.CaptureStopSE);
}

void CaptureTab::optCapture_Click(int index) {
    triggers_.SelectMode(index);
    efCaptureInterval->setEnabled(triggers_.IntervalEnabled());
}

void CaptureTab::efCaptureInterval_Change() {
    // Filling the box shows whole seconds; the stored milliseconds stay as they are.
    if (filling_) return;
    ApplyIntervalText(host_.Prefs(), efCaptureInterval->text().toStdU16String());
}

void CaptureTab::efCaptureInterval_LostFocus() {
    const auto shown =
        CommitIntervalText(host_.Prefs(), efCaptureInterval->text().toStdU16String());
    if (shown) {
        const QSignalBlocker quiet(efCaptureInterval);
        efCaptureInterval->setText(Q(*shown));
    }
}

void CaptureTab::efCaptureKeyCode_Change() {
    if (filling_) return;
    ApplyKeyCodeText(host_.Prefs(), efCaptureKeyCode->text().toStdU16String());
}

void CaptureTab::pbResetKeyCode_Click() {
    efCaptureKeyCode->setText(QString::number(kPrintScreenKeyCode));
    host_.Prefs().CaptureKeyCode = kPrintScreenKeyCode;
}

void CaptureTab::efCaptureName_Change() {
    const std::u16string name = efCaptureName->text().toStdU16String();
    const QString problem = Wording::Why(CaptureNameProblem(name));
    // A stored name is shown as it is; a typed one must be usable to take effect.
    if (problem.isEmpty() || filling_) host_.Prefs().CaptureName = name;
    efCaptureName->setStyleSheet(
        problem.isEmpty() ? QString()
                          : QStringLiteral("QLineEdit { background: rgb(255, 170, 170); }"));
    efCaptureName->setToolTip(problem);
    stCaptureNameProblem->setText(problem);
    stCaptureNameProblem->setVisible(!problem.isEmpty());
}

void CaptureTab::cbLockCaptureName_Click() {
    if (!filling_) cbLockCaptureName->setTristate(false);  // the user only checks or clears
    host_.Prefs().LockCaptureName = CheckValue(cbLockCaptureName);
    efCaptureName->setEnabled(host_.Prefs().LockCaptureName != 0);
}

void CaptureTab::cbSaveAsJpeg_Click() {
    if (!filling_) cbSaveAsJpeg->setTristate(false);
    host_.Prefs().SaveAsJpeg = CheckValue(cbSaveAsJpeg);
    const bool jpeg = host_.Prefs().SaveAsJpeg != 0;
    sJpegQuality->setEnabled(jpeg);
    for (QLabel* label : stJpegQuality) label->setEnabled(jpeg);
}

void CaptureTab::sJpegQuality_Change() {
    host_.Prefs().JpegQuality = sJpegQuality->value();
}

void CaptureTab::pbCapturePath_Click() {
    const std::u16string chosen = host_.Services().dialogs->BrowseForFolder(
        U(tr("スクリーンショットを保存するフォルダを選択してください。")),
        stCapturePath->text().toStdU16String());
    if (chosen.empty()) return;
    host_.Prefs().CapturePath = chosen;
    stCapturePath->setText(Q(chosen));
}

void CaptureTab::pbCheckKeyCode_Click() {
    if (!keyCodeDialog_)
        keyCodeDialog_ = std::make_unique<dCheckKeyCode>(host_.Services().keyState);
    keyCodeDialog_->ShowOrRaise();
}

void CaptureTab::SoundBoxClicked(QComboBox* box, const SoundChoiceList& list,
                                 std::u16string& field) {
    field = list.PathAt(box->currentIndex());
    if (!filling_ && host_.Services().sound) PlaySoundFile(field, *host_.Services().sound);
}

void CaptureTab::cboCaptureStartSE_Click() {
    SoundBoxClicked(cboCaptureStartSE, startSounds_, host_.Prefs().CaptureStartSE);
}

void CaptureTab::cboCaptureStopSE_Click() {
    SoundBoxClicked(cboCaptureStopSE, stopSounds_, host_.Prefs().CaptureStopSE);
}

void CaptureTab::SelectSoundFile(QComboBox* box, SoundChoiceList& list, std::u16string_view path) {
    const int index = list.EntryForFile(path);
    if (index >= box->count()) {
        const QSignalBlocker quiet(box);
        box->addItem(Q(list.Entries()[std::size_t(index)].caption));
    }
    box->setCurrentIndex(index);
    if (box == cboCaptureStartSE) {
        cboCaptureStartSE_Click();
    } else {
        cboCaptureStopSE_Click();
    }
}

void CaptureTab::BrowseSound(QComboBox* box, SoundChoiceList& list, std::u16string& field) {
    const std::u16string chosen = host_.Services().dialogs->GetOpenFileName(
        host_.Services().folders->GetSpecialFolderPath(13), U(tr("サウンドファイル")), u"*.wav");
    if (chosen.empty()) return;
    SelectSoundFile(box, list, chosen);
    field = chosen;
}

void CaptureTab::pbCaptureStartSE_Click() {
    BrowseSound(cboCaptureStartSE, startSounds_, host_.Prefs().CaptureStartSE);
}

void CaptureTab::pbCaptureStopSE_Click() {
    BrowseSound(cboCaptureStopSE, stopSounds_, host_.Prefs().CaptureStopSE);
}

void CaptureTab::tCapture_Timer() {
    triggers_.CaptureTick();
}

void CaptureTab::tKeyCapture_Timer() {
    triggers_.KeyTick();
}

void CaptureTab::SyncTimers() {
    if (triggers_.CaptureTimerOn() != tCapture->isActive()) {
        triggers_.CaptureTimerOn() ? tCapture->start() : tCapture->stop();
    }
    if (triggers_.KeyTimerOn() != tKeyCapture->isActive()) {
        triggers_.KeyTimerOn() ? tKeyCapture->start() : tKeyCapture->stop();
    }
}

void CaptureTab::ShowShot(const ShotResult& shot) {
    // Continuous capture into a bad folder fails every few seconds: say it once, and
    // replace the message once shots are written again.
    if (!shot.ok && shot.error != lastShotError_)
        host_.ShowStatus(U(Wording::Why(shot.error)), shot.file);
    if (shot.ok) host_.ShowStatus(U(tr("スクリーンショット: %1").arg(Q(shot.file))), shot.file);
    lastShotError_ = shot.ok ? Reason() : shot.error;
}

}  // namespace qm
