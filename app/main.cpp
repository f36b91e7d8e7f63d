// The configurator: the system's serial ports.

#include "app/AppStyle.h"
#include "app/MainWindow.h"
#include "app/QtPeople.h"
#include "link/PortCatalog.h"
#include "link/QtSerialPort.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setUpApplication(app);
    QtSerialPort port;
    SystemPortCatalog catalog;
    QtPeople people;
    TMain window({&port, &catalog, &people});
    people.setParent(&window);
    window.show();
    return app.exec();
}
