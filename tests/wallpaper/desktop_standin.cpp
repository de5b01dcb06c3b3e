// Stands in for a desktop's D-Bus service: takes the name, answers every call on one object
// and writes each call to standard output as "member<TAB>arg<TAB>arg...".
//   desktop_standin SERVICE OBJECT [--refuse]
// Plasma's evaluateScript is answered with the number of desktops the script changes (1 when
// it sets an image of org.kde.image, else an error, as a script error would be).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <cstdio>

class StandIn : public QDBusVirtualObject {
public:
    explicit StandIn(bool refuse) : m_refuse(refuse) {}
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &bus) override
    {
        QStringList line{m.member()};
        for (const QVariant &a : m.arguments())
            line << a.toString();
        std::printf("%s\n", line.join(QLatin1Char('\t')).toUtf8().constData());
        std::fflush(stdout);
        if (m_refuse)
            return bus.send(m.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"), "refused"));
        if (m.member() == QLatin1String("evaluateScript")) {
            const QString s = m.arguments().value(0).toString();
            if (!s.contains(QLatin1String("desktops()")) || !s.contains(QLatin1String("\"org.kde.image\""))
                || !s.contains(QLatin1String("writeConfig(\"Image\", \"file:///")))
                return bus.send(m.createErrorReply(QStringLiteral("org.kde.PlasmaShell.ScriptError"), "bad script"));
            return bus.send(m.createReply(QStringLiteral("1\n")));
        }
        return bus.send(m.createReply());
    }

private:
    bool m_refuse;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3)
        return 2;
    StandIn object(a.contains(QStringLiteral("--refuse")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(a[2], &object) || !bus.registerService(a[1]))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
