#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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

QByteArray settingsRecord(const QStringList &values)
{
    QByteArray out;
    for (const QString &v : values)
        out += (out.isEmpty() ? "\"" : ",\"") + v.toUtf8() + "\"";
    return out + "\r\n";
}

std::unique_ptr<Form1> openWindow()
{
    auto window = std::make_unique<Form1>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    QCoreApplication::processEvents(); // deferred start-up messages
    return window;
}
