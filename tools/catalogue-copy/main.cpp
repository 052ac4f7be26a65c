// catalogue-copy: copies one share of a catalogue file into an SQLite file for the
// database layer, which starts it; see db/copy_helper.h.
#include "db/copy_helper.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return db::runCopyHelper(app.arguments().mid(1));
}
