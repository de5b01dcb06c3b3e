#pragma once
// A temporary program folder with scripted message boxes, the login file's raw bytes,
// typing any text, and driving a modal window from inside its own event loop.
#include "../store/store_fixture.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class LockTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString loginPath() const;
    void writeLogin(const QByteArray &bytes) const;
    void copyLogin(const QString &fixture) const;
    // std::nullopt when there is no such file.
    std::optional<QByteArray> loginBytes() const;

    TempProgramDir dir{false};
};

// Sends each character as a key press of its own; QTest::keyClicks handles Latin-1 only.
void TypeText(QWidget *w, const QString &text);

// Runs the step on the first application-modal window that comes up while it lives; a
// modal window still open some seconds after the step is rejected, so a failing test
// cannot hang in its event loop.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget *)> step);
    int seen() const { return m_seen; }
    bool forcedClose() const { return m_forced; }

private:
    void tick();
    std::function<void(QWidget *)> m_step;
    QTimer m_timer;
    QElapsedTimer m_since;
    int m_seen = 0;
    bool m_forced = false;
};
