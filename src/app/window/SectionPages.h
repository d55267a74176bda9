#pragma once

#include <QString>
#include <QWidget>
#include <span>

#include "app/pagekit/Page.h"
#include "app/pagekit/PageHost.h"
#include "app/pagekit/PageId.h"

namespace veilport::app {

// One section of the main window: its button's place in the section bar
// (from 1), the page that button shows, and the pages of its own sub-buttons
// in their order (none for the status section, whose button shows the status
// page alone). The other sections' buttons show their intro page.
struct Section {
    int number;
    PageId intro;
    std::span<const PageId> pages;
    // The section's tip in the main tip window.
    const char* tip;
    // The background picture of its own bar (none for the status section).
    int barPicture;
};

// Every section, in the order of the section bar.
std::span<const Section> Sections();
// The section a page belongs to.
const Section& SectionOf(PageId page);

// The one place where pages are made: a new page of this kind, a child of
// `parent`, owned by it through Qt's parent chain (never null). Each page is
// one class built from its control table.
Page* CreatePage(PageId page, PageHost& host, QWidget* parent);

}  // namespace veilport::app
