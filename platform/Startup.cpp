#include "platform/Startup.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void PrepareDisplayConnection() {
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
    }
}

} // namespace platform
