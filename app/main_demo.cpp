// The demo build: the same window, whose port list offers a simulated recorder first (password 1234),
// followed by the system's real serial ports.

#include "app/AppStyle.h"
#include "app/MainWindow.h"
#include "app/QtPeople.h"
#include "link/PortCatalog.h"
#include "sim/DemoPort.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication(app);
    QObject owner;
    const DemoSimulator sim = MakeDemoSimulator(&owner);
    DemoPortCatalog catalog(std::make_unique<SystemPortCatalog>(), sim.recorder);
    QtPeople people;
    TMain window({sim.port, &catalog, &people});
    people.setParent(&window);
    window.setWindowTitle(window.windowTitle() + QStringLiteral(" (demo)"));
    window.show();
    return app.exec();
}
