#include "base/localzone.h"

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

void settleLocalZone()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
    tzset();
}
