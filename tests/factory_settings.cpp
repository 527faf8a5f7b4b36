// Writes this version's factory settings to the INI file given, as the program
// does at its first start once the user has read its notice. The scripts that
// start the window as a new user give it these, so that it opens at once.
//   quorvel_factory_settings FILE.ini
#include "settings_store.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Settings_Store store(QString::fromLocal8Bit(argv[1]));
    return Write_Settings(store, Settings_Fields::Factory()) ? 0 : 1;
}
