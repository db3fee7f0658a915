#include "config/ColorTab.h"
#include "platform/QtText.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>

#include "config/CnfRecord.h"
#include "editor/CharacterState.h"
#include "editor/EditHistory.h"
#include "editor/TabHost.h"
#include "preview/PreviewBoxes.h"
#include "preview/PreviewPainter.h"

namespace qm {

namespace {

// The tree's captions as the core names them, for the catalogue; shown through Caption().
[[maybe_unused]] const char* const kCaptionTexts[] = {
    QT_TRANSLATE_NOOP("qm::ColorTab", "会話"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "他人"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "システム"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "通常会話(Say)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "大声で話す(Shout)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "直接会話(Tell)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "パーティ会話(Party)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "リンクシェル会話(LinkShell)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "感情表現"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "メッセージ(Message)"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "NPC発言"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分のHP/MPの増加"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分のHP/MPの減少"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "良いエフェクトが自分にかかる"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "悪いエフェクトが自分にかかる"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "相手からのエフェクトに抵抗"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "相手からのアクションを回避"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外のHP/MPの増加"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外のHP/MPの減少"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外に良いエフェクトがかかる"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外に悪いエフェクトがかかる"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外がエフェクトに抵抗"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "自分以外がアクションを回避"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "バトルメッセージの標準カラー"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "救援要請実行時カラー"),
    QT_TRANSLATE_NOOP("qm::ColorTab", "一部のシステムメッセージ"),
};

QString Caption(std::u16string_view core) {
    return QCoreApplication::translate("qm::ColorTab", QString(Q(core)).toUtf8().constData());
}

constexpr int kKeyRole = Qt::UserRole;

}  // namespace

ColorTab::ColorTab(TabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    tvTextColor = new QTreeWidget(this);
    tvTextColor->setObjectName(QStringLiteral("tvTextColor"));
    tvTextColor->setGeometry(16, 8, 257, 321);
    tvTextColor->setHeaderHidden(true);
    tvTextColor->setColumnCount(1);
    // A click on the node already highlighted must select it again (after a folder was
    // opened the highlight stays but nothing is selected), and arrow keys select too.
    connect(tvTextColor, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { tvTextColor_NodeClick(node); });
    connect(tvTextColor, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (node != nullptr) tvTextColor_NodeClick(node);
    });

    const char16_t* const captions[4] = {u"R", u"G", u"B", u"A"};
    const char* const names[4] = {"sTextColorR", "sTextColorG", "sTextColorB", "sTextColorA"};
    std::array<QSlider*, 4> sliders{};
    for (int k = 0; k < 4; ++k) {
        auto* label = new QLabel(Q(captions[k]), this);
        label->setObjectName(QStringLiteral("stTextColor%1").arg(Q(captions[k])));
        label->setGeometry(296, 48 + 40 * k, 25, 17);
        stTextColor[std::size_t(k)] = label;
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QString::fromLatin1(names[k]));
        slider->setGeometry(328, 40 + 40 * k, 137, 25);
        slider->setRange(0, 255);
        slider->setSingleStep(1);
        slider->setPageStep(5);
        sliders[std::size_t(k)] = slider;
    }
    sTextColorR = sliders[0];
    sTextColorG = sliders[1];
    sTextColorB = sliders[2];
    sTextColorA = sliders[3];
    // Nothing is selected until an entry node is clicked.
    SetSlidersEnabled(false);
    // The handlers also run for the program's own slider changes; filling_ and the
    // selection guard keep those from counting as edits.
    connect(sTextColorR, &QSlider::valueChanged, this, [this] { sTextColorR_Scroll(); });
    connect(sTextColorG, &QSlider::valueChanged, this, [this] { sTextColorG_Scroll(); });
    connect(sTextColorB, &QSlider::valueChanged, this, [this] { sTextColorB_Scroll(); });
    connect(sTextColorA, &QSlider::valueChanged, this, [this] { sTextColorA_Change(); });

    pctTextColor = new TextColorSampleBox(&WindowTexture, this);
    pctTextColor->setObjectName(QStringLiteral("pctTextColor"));
    pctTextColor->setGeometry(296, 200, 321, 121);
    // No colours before a folder is open: the sample shows its background only.
    pctTextColor->setEnabled(false);
}

void ColorTab::FolderOpened() {
    tvTextColor->clearSelection();
    tvTextColor->setCurrentItem(nullptr);
    for (QSlider* s : {sTextColorR, sTextColorG, sTextColorB, sTextColorA}) s->setValue(0);
    SetSlidersEnabled(false);
    // Until an entry is chosen the sample shows the colour of ordinary talk.
    pctTextColor->SetForeColor(EntryColor(host_.Shown().Cnf(), 0));
    pctTextColor->setEnabled(true);
    pctTextColor->update();
}

void ColorTab::InitTextColor() {
    tvTextColor->clear();
    for (const TextColorGroup& group : TextColorGroups()) {
        auto* groupNode = new QTreeWidgetItem(tvTextColor, QStringList{Caption(group.caption)});
        groupNode->setData(0, kKeyRole, Q(group.key));
        for (int entry = group.firstEntry; entry <= group.lastEntry; ++entry) {
            auto* node =
                new QTreeWidgetItem(groupNode, QStringList{Caption(TextColorCaption(entry))});
            node->setData(0, kKeyRole, Q(TextColorNodeKey(entry)));
        }
        groupNode->setExpanded(true);
    }
}

void ColorTab::LoadWindowTexture(int number) {
    QImage image = LoadWindowTextureImage(number);
    // Keep what is shown when another texture is missing.
    if (!image.isNull() || WindowTexture.isNull()) WindowTexture = image;
    pctTextColor->update();
    emit WindowTextureChanged();
}

void ColorTab::SetSlidersEnabled(bool enabled) {
    for (QSlider* s : {sTextColorR, sTextColorG, sTextColorB, sTextColorA}) s->setEnabled(enabled);
}

void ColorTab::tvTextColor_NodeClick(QTreeWidgetItem* node) {
    if (node == nullptr) return;
    const std::u16string key = node->data(0, kKeyRole).toString().toStdU16String();
    const int entry = TextColorEntryFromKey(key);
    if (entry < 0) {
        // A group: nothing selected, sliders at 0 and disabled; the sample keeps its colour.
        host_.Shown().SelectedColorEntry = -1;
        for (QSlider* s : {sTextColorR, sTextColorG, sTextColorB, sTextColorA}) s->setValue(0);
        SetSlidersEnabled(false);
        return;
    }
    {
        const FillGuard filling(filling_);
        host_.Shown().SelectedColorEntry = int16_t(entry);
        const TextColor c = host_.Shown().Cnf().Color(entry);
        sTextColorR->setValue(c.red);
        sTextColorG->setValue(c.green);
        sTextColorB->setValue(c.blue);
        sTextColorA->setValue(c.alpha);
        pctTextColor->SetForeColor(QColor(c.red, c.green, c.blue));
        pctTextColor->update();
    }
    SetSlidersEnabled(true);
}

void ColorTab::StoreSlider(QSlider* slider, int byte, bool repaint) {
    if (filling_ || host_.Shown().SelectedColorEntry < 0) return;
    const int entry = host_.Shown().SelectedColorEntry;
    // One step per slider and entry while it moves.
    EditHistory::Edit edit(host_.History(), tr("文字カラーの変更"), EditScope{.colors = true});
    edit.Merging({.control = slider, .colorEntry = entry});
    host_.Shown().Cnf().SetColorByte(entry, ColorByte(byte), uint8_t(slider->value()));
    pctTextColor->SetForeColor(EntryColor(host_.Shown().Cnf(), entry));
    if (repaint) pctTextColor->update();
}

void ColorTab::ShowEntry(int entry) {
    const QString key = Q(TextColorNodeKey(entry));
    for (int g = 0; g < tvTextColor->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tvTextColor->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* node = group->child(i);
            if (node->data(0, kKeyRole).toString() != key) continue;
            {
                const QSignalBlocker block(tvTextColor);
                tvTextColor->setCurrentItem(node);
            }
            tvTextColor_NodeClick(node);
            return;
        }
    }
}

void ColorTab::sTextColorR_Scroll() {
    StoreSlider(sTextColorR, int(ColorByte::Red), true);
}
void ColorTab::sTextColorG_Scroll() {
    StoreSlider(sTextColorG, int(ColorByte::Green), true);
}
void ColorTab::sTextColorB_Scroll() {
    StoreSlider(sTextColorB, int(ColorByte::Blue), true);
}
void ColorTab::sTextColorA_Change() {
    StoreSlider(sTextColorA, int(ColorByte::Alpha), false);
}

}  // namespace qm
