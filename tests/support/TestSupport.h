#pragma once

#include "app/Form1.h"
#include "platform/Dialogs.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Stands in for every modal dialog while it lives: messages are recorded, file-open
// dialogs take their answers from a queue and count as cancelled when it is empty.
class ScriptedDialogs : public platform::Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void showMessage(QWidget *parent, const QString &text) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &pattern, const QString &startFolder) override;

    QStringList messages;
    QStringList fileAnswers;  // queued answers; "" cancels
    QStringList openRequests; // "title|filter|pattern" of each dialog shown
};

// A temporary folder that is the current working folder while it lives.
class WorkFolder
{
public:
    WorkFolder();
    ~WorkFolder();

    QString path() const { return m_dir.path(); }
    // `relative` below the work folder.
    QString file(const QString &relative) const;
    // Makes the folders on the way and writes `content`.
    QString write(const QString &relative, const QByteArray &content = {}) const;
    QString mkdir(const QString &relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

QByteArray readAll(const QString &path);

// One settings record ("zel.cfg") holding `values`, each quoted as they are.
QByteArray settingsRecord(const QStringList &values);

// A launcher window started in the current folder, shown, with its start-up messages
// delivered; nullptr when it never appears.
std::unique_ptr<Form1> openWindow();
