#include "platform/gui/Dialogs.h"

#include "platform/Ending.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

namespace platform {

namespace {

// Some styles put pictures on the buttons; the launcher's boxes carry text alone.
int execWithoutIcons(QMessageBox &box)
{
    for (QAbstractButton *button : box.buttons())
        button->setIcon(QIcon());
    return box.exec();
}

class RealDialogs final : public Dialogs
{
public:
    void showMessage(QWidget *parent, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZEL"), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        execWithoutIcons(box);
    }

    bool ask(QWidget *parent, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZEL"), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        return execWithoutIcons(box) == QMessageBox::Yes;
    }

    int choose(QWidget *parent, const QString &text, const QStringList &buttons) override
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZEL"), text, QMessageBox::NoButton,
                        parent);
        box.setTextFormat(Qt::PlainText);
        QList<QAbstractButton *> added;
        for (const QString &caption : buttons)
            added << box.addButton(caption, added.isEmpty() ? QMessageBox::RejectRole
                                                            : QMessageBox::AcceptRole);
        if (!added.isEmpty()) {
            box.setDefaultButton(qobject_cast<QPushButton *>(added.first()));
            box.setEscapeButton(added.first());
        }
        execWithoutIcons(box);
        return std::max(0, int(added.indexOf(box.clickedButton())));
    }

    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &pattern, const QString &startFolder) override
    {
        // The filter text is only a description; the pattern decides what is offered.
        return QFileDialog::getOpenFileName(parent, title, startFolder,
                                            filter + QStringLiteral(" (") + pattern +
                                                QStringLiteral(")"));
    }
};

Dialogs *current = nullptr;

} // namespace

Dialogs &dialogs()
{
    static RealDialogs real;
    return current ? *current : real;
}

void setDialogs(Dialogs *replacement)
{
    current = replacement;
}

void showMessage(QWidget *parent, const QString &text)
{
    // Ended from outside, the launcher goes without holding the player up.
    if (ending::requested())
        return;
    // A path from a settings file can be a megabyte long: laid out whole, the box would
    // stall the window and be wider than any screen. Its two ends say what it is.
    constexpr qsizetype LongestWord = 100;
    static const QRegularExpression longWord(QStringLiteral("\\S{%1,}").arg(LongestWord + 1));
    QString shown = text;
    for (QRegularExpressionMatch m = longWord.match(shown); m.hasMatch();
         m = longWord.match(shown, m.capturedStart() + LongestWord + 1)) {
        const QString word = m.captured();
        shown.replace(m.capturedStart(), word.size(),
                      word.left(LongestWord / 2) + QChar(0x2026) + word.right(LongestWord / 2));
    }
    dialogs().showMessage(parent, shown);
}

} // namespace platform
