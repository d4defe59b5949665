#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ScriptedDialogs::ScriptedDialogs()
{
    platform::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    platform::setDialogs(nullptr);
}

void ScriptedDialogs::showMessage(QWidget *, const QString &text)
{
    messages << text;
}

QString ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &filter,
                                  const QString &pattern, const QString &)
{
    openRequests << title + QLatin1Char('|') + filter + QLatin1Char('|') + pattern;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

WorkFolder::WorkFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkFolder::~WorkFolder()
{
    QDir::setCurrent(m_previous);
}

QString WorkFolder::file(const QString &relative) const
{
    return m_dir.filePath(relative);
}

QString WorkFolder::write(const QString &relative, const QByteArray &content) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QString WorkFolder::mkdir(const QString &relative) const
{
    const QString path = file(relative);
    QDir().mkpath(path);
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
