#pragma once

#include <QSize>
#include <QString>
#include <initializer_list>
#include <utility>

#include "app/skin/DialogTemplate.h"

namespace veilport::skin {
class BitmapButton;
}

namespace veilport::app {

// The size of every page of the content area, in dialog units (410 x 360
// pixels, the page background's own size).
inline constexpr QSize kPageSizeInUnits{273, 221};

// The labels the pages' picture buttons carry in their pictures.
enum class PageButton { Apply, UseSelected, Start, ChangeProxy, Test, Save, CheckNow };

// Gives a picture button the pictures of its label, and that label as its
// accessible name: the label is drawn, so nothing else would name it.
void dressPageButton(skin::BitmapButton* button, PageButton label);

// What every page shares once its controls are made: the page texts' grey on
// the page background, and each check box named by its own text, so
// assistive tools find it by the label a person reads.
void dressPage(QWidget* page);

// Accessible names for the controls of a template whose text does not name
// them (fields, lists, drop-downs, progress bars).
void nameControls(const skin::DialogTemplate& controls,
                  std::initializer_list<std::pair<int, const char*>> names);

}  // namespace veilport::app
