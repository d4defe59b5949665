#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace platform {

namespace {

class RealDialogs final : public Dialogs
{
public:
    void showMessage(QWidget *parent, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZEL"), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box.exec();
    }

    bool ask(QWidget *parent, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZEL"), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
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
    dialogs().showMessage(parent, text);
}

} // namespace platform
