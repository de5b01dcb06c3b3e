#pragma once
// A temporary program folder with an empty Data/, named by TAVI_HOME while the test runs,
// and the raw bytes of the files in it.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest();
    ~ProgramFolderTest() override;

    // The folder with a closing '/'.
    QString home() const { return m_dir.path() + QLatin1Char('/'); }
    void writeFile(const QString &path, const QByteArray &bytes) const;
    // std::nullopt when there is no such file.
    std::optional<QByteArray> fileBytes(const QString &path) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
