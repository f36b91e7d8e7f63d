// The register archive in the window: "Dodaj do archiwum" and the window "Archiwum rejestru".

#include "app/MainWindow.h"
#include "archive/ArchiveAdding.h"
#include "archive/ArchiveWindow.h"
#include "config/ConfigArea.h"
#include "events/EventRegister.h"

#include <QPushButton>

void TMain::wireArchive() {
    archiveAdding = new ArchiveAdding(people_, this);
    archiveAdding->setObjectName(QStringLiteral("archiveAdding"));
    onUsable(ButtonDodajDoArchiwum, Control::ButtonDodajDoArchiwum, [this] { ButtonDodajDoArchiwumClick(); });
    onUsable(ButtonArchiwum, Control::ButtonArchiwum, [this] { ButtonArchiwumClick(); });
}

ArchiveSource TMain::downloadedRegister() const {
    return ArchiveSource::download(eventRegister->records(), eventRegister->download().completeness(),
                                   eventRegister->registerVersion());
}

void TMain::ButtonDodajDoArchiwumClick() { archiveAdding->addToChosenArchive(downloadedRegister()); }

void TMain::ButtonArchiwumClick() {
    if (!FormArchiwum) {
        FormArchiwum = new TFormArchiwum(people_, archiveAdding, this);
        FormArchiwum->setDownloadSource([this] { return downloadedRegister(); });
        applyControlTable();
    }
    if (!FormArchiwum->isVisible()) {
        // Opened afresh: the window's thresholds, and the archive last used in this run.
        const TempSettings t = Config->tempSettings();
        FormArchiwum->setLimits(FigureLimits{int(t.highCode) - 128, int(t.lowCode) - 128});
        if (!FormArchiwum->archive() && !archiveAdding->lastPath().isEmpty())
            FormArchiwum->openPath(archiveAdding->lastPath());
    }
    FormArchiwum->show();
    FormArchiwum->raise();
    FormArchiwum->activateWindow();
}
