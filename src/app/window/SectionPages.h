#pragma once

#include <QString>
#include <QWidget>
#include <span>

#include "app/window/Page.h"
#include "app/window/PageHost.h"
#include "app/window/PageId.h"

namespace veilport::app {

// The sections of the main window and their pages. Section 1 is the status
// page alone; sections 2 to 4 have an intro page (shown by the section's main
// button) and pages in the order of their sub-buttons.
inline constexpr int kSectionCount = 4;

// The pages of a section's sub-buttons, in order (empty for section 1).
std::span<const PageId> SubPagesOf(int section);
// The page a section's main button shows.
PageId IntroPageOf(int section);
// The section (1..4) of a page, and its sub-button index (-1 for the status
// and intro pages).
int SectionOf(PageId page);
int SubIndexOf(PageId page);

// The one place where pages are made: a new page of this kind, a child of
// `parent`, owned by it through Qt's parent chain (never null). Each page is
// one class built from its control table.
Page* CreatePage(PageId page, PageHost& host, QWidget* parent);

}  // namespace veilport::app
