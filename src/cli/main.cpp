// quillpost-cli: the command-line program.

#include "cli/CliApplication.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments();
    arguments.removeFirst();
    return CCliApplication().Run(arguments);
}
