#include "controls/Controls.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

namespace {

// Marks a block that goes on with the line of the block before it.
constexpr int PieceOfLine = QTextFormat::UserProperty;
// Short enough that laying out a piece again at each key goes unnoticed.
constexpr qsizetype PieceLength = 1024;

bool isPiece(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(PieceOfLine);
}

QTextBlockFormat pieceFormat()
{
    QTextBlockFormat format;
    format.setProperty(PieceOfLine, true);
    return format;
}

// Where the piece starting at `start` ends: after a blank in its second half, where the
// wrap would break the line anyway, else at its full length, never inside a character.
qsizetype pieceEnd(const QString &line, qsizetype start)
{
    qsizetype end = start + PieceLength;
    if (end >= line.size())
        return line.size();
    for (qsizetype at = end; at > start + PieceLength / 2; --at) {
        if (line.at(at - 1) == QLatin1Char(' '))
            return at;
    }
    if (line.at(end - 1).isHighSurrogate())
        --end;
    return end;
}

// Inserts `text` at `cursor`, its long lines in pieces.
void insertInPieces(QTextCursor &cursor, QString text)
{
    // Each of these would start a block in the format of the one it breaks, maybe a piece.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    cursor.beginEditBlock();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype l = 0; l < lines.size(); ++l) {
        const QString &line = lines.at(l);
        if (l > 0)
            cursor.insertBlock(QTextBlockFormat());
        for (qsizetype start = 0;;) {
            const qsizetype end = pieceEnd(line, start);
            cursor.insertText(line.mid(start, end - start));
            if (end == line.size())
                break;
            cursor.insertBlock(pieceFormat());
            start = end;
        }
    }
    cursor.endEditBlock();
}

} // namespace

QString NotesBox::notes() const
{
    // The box keeps no lone CR nor any separator but its own, so what it shows is only what
    // the player typed: notes nobody edited go back as they came.
    if (!document()->isModified())
        return m_given;
    return text(0, document()->characterCount() - 1)
        .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void NotesBox::setNotes(const QString &notes)
{
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    QTextCursor cursor(doc);
    insertInPieces(cursor, notes);
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    m_given = notes;
    setTextCursor(QTextCursor(doc));
}

// The text between two positions of the box, as the notes hold it.
QString NotesBox::text(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from && !isPiece(block))
            text += QLatin1Char('\n');
        const int start = std::max(from, block.position()) - block.position();
        const int end = std::min(to, block.position() + block.length() - 1) - block.position();
        text += block.text().mid(start, end - start);
    }
    // A soft line break is a line break in the notes; a no-break space stays one, which
    // toPlainText() would turn into a blank.
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void NotesBox::keyPressEvent(QKeyEvent *event)
{
    QTextCursor cursor = textCursor();
    // Return in a piece starts a line of its own, not one more piece.
    const bool newLine = event->matches(QKeySequence::InsertParagraphSeparator);
    // At a break the box made, Backspace and Delete take the character beyond it: the player
    // sees none there.
    const bool plain = event->modifiers() == Qt::NoModifier && !cursor.hasSelection();
    const bool back = plain && event->key() == Qt::Key_Backspace && cursor.atBlockStart() &&
                      isPiece(cursor.block());
    const bool forward = plain && event->key() == Qt::Key_Delete && cursor.atBlockEnd() &&
                         isPiece(cursor.block().next());
    if (isReadOnly() || !(newLine || back || forward)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    cursor.beginEditBlock();
    if (newLine)
        cursor.insertBlock(QTextBlockFormat());
    for (int i = 0; !newLine && i < 2; ++i)
        back ? cursor.deletePreviousChar() : cursor.deleteChar();
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
}

void NotesBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    insertInPieces(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *NotesBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(text(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}
