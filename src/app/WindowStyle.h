#pragma once
// The widget style of the window: Qt's Fusion, which draws button and box colours from
// the palette on every desktop (the set and macro highlights rely on that).

class QStyle;

namespace qm {

// A new Fusion style for QApplication::setStyle, which takes it over.
QStyle* NewWindowStyle();

}  // namespace qm
