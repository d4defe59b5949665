#pragma once

#include <QString>

// Where the launcher keeps its own files: the program folder, the working folder at start-up,
// and what lies in it. Without a program folder (it was gone at start-up) every path is empty,
// so nothing lands in the root folder.
class ProgramPaths
{
public:
    ProgramPaths() = default;
    explicit ProgramPaths(const QString &programFolder) : m_folder(programFolder) {}

    bool isKnown() const { return !m_folder.isEmpty(); }
    const QString &programFolder() const { return m_folder; }
    QString glWads() const { return inFolder(QStringLiteral("GL_WADs")); }
    // The engine's two output streams; each start replaces them.
    QString engineOutputLog() const { return inFolder(QStringLiteral("engine-output.log")); }
    QString engineErrorLog() const { return inFolder(QStringLiteral("engine-errors.log")); }
    // `name` in the program folder; the empty text without one.
    QString inFolder(const QString &name) const;

private:
    QString m_folder;
};
