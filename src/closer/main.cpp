// Quenchor: ends a running Veilport, then offers the user the online poll.
#include <QApplication>
#include <QStyleFactory>

#include "closer/CloseMainProgram.h"
#include "closer/PollDialog.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenchor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quenchor"));
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    veilport::closer::PollDialog dialog(veilport::shell::desktopShell(),
                                        [] { veilport::closer::CloseMainProgram(); });
    dialog.exec();
    // No event loop runs after the dialog: the program ends with it.
    return 0;
}
