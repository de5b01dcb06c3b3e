#include "lock_fixture.h"

#include "Dialogs.h"
#include "LoginFile.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTest>

void LockTest::SetUp()
{
    dialogs::SetScripted(true);
}

void LockTest::TearDown()
{
    dialogs::SetScripted(false);
}

QString LockTest::loginPath() const { return loginfile::Path(); }

void LockTest::writeLogin(const QByteArray &bytes) const
{
    QFile f(loginPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void LockTest::copyLogin(const QString &fixture) const
{
    QFile f(QStringLiteral(TAVI_TEST_DATA "/lock/") + fixture);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fixture.toStdString();
    writeLogin(f.readAll());
}

std::optional<QByteArray> LockTest::loginBytes() const
{
    QFile f(loginPath());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

void TypeText(QWidget *w, const QString &text)
{
    for (const uint cp : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString::fromUcs4(reinterpret_cast<const char32_t *>(&cp), 1),
                            Qt::NoModifier);
}

ModalDriver::ModalDriver(std::function<void(QWidget *)> step) : m_step(std::move(step))
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    m_timer.start();
}

void ModalDriver::tick()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (m_seen == 0) {
        ++m_seen;
        m_since.start();
        m_step(modal);
        return;
    }
    if (m_since.elapsed() > 3000) {
        m_forced = true;
        if (auto *d = qobject_cast<QDialog *>(modal))
            d->reject();
        else
            modal->close();
    }
}
