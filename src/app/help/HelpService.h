#pragma once

#include <QString>

namespace veilport::app {

// The program's help, as its windows ask for it. The program's own is the
// help viewer over the compiled help; tests record the requests.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual void showContents() = 0;
    virtual void showIndex() = 0;
    // The search tab with this query already run.
    virtual void showSearch(const QString& query) = 0;
    // F1: the help at its default page, maximised.
    virtual void showHelpFile() = 0;
    // One page of the help by its file name ("Introduction.htm"), standing
    // in for a vendor web page; the default page where it has no pages.
    virtual void showPage(const QString& file) {
        static_cast<void>(file);
        showHelpFile();
    }
};

}  // namespace veilport::app
