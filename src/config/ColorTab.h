#pragma once
// The tab "文字カラー": the tree of the 23 log text kinds, the red, green, blue and alpha
// sliders of the chosen kind, and a sample message in its colour. Edits go straight into
// the main window's CnfRecord.

#include <QImage>
#include <QWidget>
#include <array>

class QLabel;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class TabHost;
class TextColorSampleBox;

class ColorTab : public QWidget {
    Q_OBJECT
  public:
    ColorTab(TabHost& host, QWidget* parent);

    void InitTextColor();
    // Another folder was opened: nothing is chosen in its colours yet, so the tree shows no
    // selection, the sliders are off and the sample shows the say colour.
    void FolderOpened();
    // The window texture of both previews; null when it could not be loaded.
    void LoadWindowTexture(int number);

    void tvTextColor_NodeClick(QTreeWidgetItem* node);
    // Selects the entry's node and shows its colour on the sliders.
    void ShowEntry(int entry);
    void sTextColorR_Scroll();
    void sTextColorG_Scroll();
    void sTextColorB_Scroll();
    void sTextColorA_Change();

    QImage WindowTexture;
    QTreeWidget* tvTextColor = nullptr;
    QSlider* sTextColorR = nullptr;
    QSlider* sTextColorG = nullptr;
    QSlider* sTextColorB = nullptr;
    QSlider* sTextColorA = nullptr;
    std::array<QLabel*, 4> stTextColor{};
    TextColorSampleBox* pctTextColor = nullptr;

  signals:
    // WindowTexture was loaded again: the macro preview paints on it too.
    void WindowTextureChanged();

  private:
    // Stores one slider into the selected entry; red, green and blue repaint the sample.
    void StoreSlider(QSlider* slider, int byte, bool repaint);
    void SetSlidersEnabled(bool enabled);

    TabHost& host_;
    bool filling_ = false;  // while the sliders show the chosen entry
};

}  // namespace qm
