#include "DeepinBusWay.h"

namespace platform {

using namespace wallpaperway;

bool DeepinBusWay::apply(const QString &path)
{
    // The daemon of DDE 23, then the one of DDE 20.
    const struct {
        const char *service, *object;
    } daemons[] = {{"org.deepin.dde.Appearance1", "/org/deepin/dde/Appearance1"},
                   {"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance"}};
    for (const auto &d : daemons) {
        const QString service = QLatin1String(d.service);
        if (OnBus(service))
            return CallDesktop(service, QLatin1String(d.object), service, QStringLiteral("Set"),
                               {QStringLiteral("background"), FileUri(path)});
    }
    return false;
}

} // namespace platform
