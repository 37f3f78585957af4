#include "StandIn.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    return StandIn(QCoreApplication::arguments()).run();
}
