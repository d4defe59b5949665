#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

// A label that is also a click target.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// A caption-less check box drawn as a band; a click anywhere on the band toggles it,
// not only on its square.
class BandCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

// The multi-line notes box. The text engine lays a whole line out again at every key, which
// stalls on a line of a megabyte; such a line is held as pieces of a line each, which the
// notes, the clipboard and Return treat as the one line it is.
class NotesBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

    // The notes as setNotes() gave them while they are not edited, character for character;
    // once edited, the text with CR LF between its lines.
    QString notes() const;
    // Shows `notes` from their start, with nothing to undo. CR LF, LF, CR and the Unicode
    // line and paragraph separators all break a line.
    void setNotes(const QString &notes);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    QString text(int from, int to) const;

    QString m_given;
};
