#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// The modal dialogs of the launcher. Tests install their own implementation so that
// nothing ever waits for a person.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message with an OK button only, no icon, titled "ZEL"; its text can be selected.
    virtual void showMessage(QWidget *parent, const QString &text) = 0;

    // A question with the buttons "Yes" and "No", no icon, titled "ZEL"; "No" is the
    // default. True when the player answers "Yes".
    virtual bool ask(QWidget *parent, const QString &text) = 0;

    // A question answered by one of `buttons`, no icon, titled "ZEL"; the first button is the
    // default and what closing the box answers. Gives the index of the button chosen.
    virtual int choose(QWidget *parent, const QString &text, const QStringList &buttons) = 0;

    // A file-open dialog offering the files that match `pattern`. Returns the chosen
    // file's full path, or the empty text when the player cancels.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &pattern, const QString &startFolder) = 0;
};

// The dialogs in use: the real ones unless a test installed others.
Dialogs &dialogs();

// Installs `replacement` (not owned) or, with nullptr, the real dialogs again.
void setDialogs(Dialogs *replacement);

// dialogs().showMessage() with each overlong word (a path, say) cut in its middle.
void showMessage(QWidget *parent, const QString &text);

} // namespace platform
