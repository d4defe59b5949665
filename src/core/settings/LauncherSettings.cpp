#include "core/settings/LauncherSettings.h"

#include "platform/Platform.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <utility>

namespace {

const char Quote = '"';

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// After a value: skip to the comma or line end that ends it and step over that.
void skipDelimiter(QByteArrayView data, qsizetype &pos)
{
    while (pos < data.size() && data[pos] != ',' && !isLineEnd(data[pos]))
        ++pos;
    if (pos >= data.size())
        return;
    if (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n')
        ++pos;
    ++pos;
}

enum class ValueEnd { Complete, Missing, Unclosed };

struct ValueRead
{
    ValueEnd end = ValueEnd::Missing;
    qsizetype quote = -1; // where its opening quote is, if it has one
    // Its closing quote ends the value: a comma, a line end or the data's end follows it.
    bool endsValue = false;
};

// One value. Missing when the data ends before it begins; Unclosed when its quote never
// closes, and then `value` holds what came before the end. With `doubledQuotes` a doubled
// quote inside a quoted value stands for one quote, as this launcher writes it; without, a
// quoted value runs to the next quote, as files of the old program read.
ValueRead readValue(QByteArrayView data, qsizetype &pos, QByteArray *value, bool doubledQuotes)
{
    ValueRead read;
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t'))
        ++pos;
    if (pos >= data.size())
        return read;

    read.end = ValueEnd::Complete;
    if (data[pos] != Quote) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != ',' && !isLineEnd(data[end]))
            ++end;
        *value = data.sliced(pos, end - pos).toByteArray().trimmed();
        pos = end;
        skipDelimiter(data, pos);
        return read;
    }

    read.quote = pos++;
    value->clear();
    for (;;) {
        const qsizetype close = data.indexOf(Quote, pos);
        if (close < 0) {
            value->append(data.sliced(pos));
            pos = data.size();
            read.end = ValueEnd::Unclosed;
            return read;
        }
        value->append(data.constData() + pos, close - pos);
        pos = close + 1;
        if (doubledQuotes && pos < data.size() && data[pos] == Quote) {
            value->append(Quote);
            ++pos;
            continue;
        }
        break;
    }
    qsizetype next = pos;
    while (next < data.size() && (data[next] == ' ' || data[next] == '\t'))
        ++next;
    read.endsValue = next == data.size() || data[next] == ',' || isLineEnd(data[next]);
    skipDelimiter(data, pos);
    return read;
}

struct RawRecord
{
    QByteArray values[LauncherSettings::ValueCount];
    int complete = 0;
    ValueEnd stop = ValueEnd::Complete; // how the first value that is not complete ended
    ValueRead notes;                    // how the notes were read, when they were
};

RawRecord readValues(QByteArrayView data, bool doubledQuotes)
{
    RawRecord record;
    qsizetype pos = 0;
    while (record.complete < LauncherSettings::ValueCount) {
        const ValueRead read = readValue(data, pos, &record.values[record.complete], doubledQuotes);
        if (record.complete == LauncherSettings::ValueCount - 1)
            record.notes = read;
        record.stop = read.end;
        if (read.end != ValueEnd::Complete)
            break;
        ++record.complete;
    }
    return record;
}

// The length of the UTF-8 sequence of one character at `at`, or 0 where none begins.
qsizetype utf8SequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    return bytes.sliced(at, length).isValidUtf8() ? length : 0;
}

// UTF-8 with a stray 8-bit byte in it (an old tool's edit): the UTF-8 is read as UTF-8, the
// bytes between as the code page, which a single-byte page can read one by one.
QString decodeMixed(QByteArrayView raw)
{
    QString text;
    qsizetype run = 0; // where the bytes of the code page begin
    const auto endRun = [&](qsizetype at) {
        text += platform::fromSystemCodePage(raw.sliced(run, at - run));
    };
    for (qsizetype at = 0; at < raw.size();) {
        const qsizetype length =
            static_cast<unsigned char>(raw[at]) < 0x80 ? 0 : utf8SequenceAt(raw, at);
        if (length == 0) {
            ++at;
            continue;
        }
        endRun(at);
        text += QString::fromUtf8(raw.sliced(at, length));
        at += length;
        run = at;
    }
    endRun(raw.size());
    return text;
}

// Each value on its own: one 8-bit byte in the notes must not turn the folders, which are
// UTF-8, into other names.
QString decodeValue(const QByteArray &raw)
{
    if (!QByteArrayView(raw).isValidUtf8())
        return platform::systemCodePageIsSingleByte() ? decodeMixed(raw)
                                                      : platform::fromSystemCodePage(raw);
    // A mark at the start of notes is the player's text; fromUtf8 would drop it.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(raw);
}

// The system's code page where every character fits, so the old program reads the file too,
// unless those bytes would read back as other UTF-8 text.
QByteArray encodeValue(const QString &text)
{
    QByteArray bytes;
    if (platform::toSystemCodePage(text, &bytes) &&
        (!QByteArrayView(bytes).isValidUtf8() || QString::fromUtf8(bytes) == text))
        return bytes;
    return text.toUtf8();
}

} // namespace

QString &LauncherSettings::value(int index)
{
    switch (index) {
    case 0:
        return GameEngineFolder;
    case 1:
        return IwadFolder;
    case 2:
        return PwadFolder1;
    case 3:
        return PwadFolder2;
    case 4:
        return IwadSafeFolder;
    default:
        return NotesText;
    }
}

const QString &LauncherSettings::value(int index) const
{
    return const_cast<LauncherSettings *>(this)->value(index);
}

bool LauncherSettings::operator==(const LauncherSettings &other) const
{
    for (int i = 0; i < ValueCount; ++i) {
        if (value(i) != other.value(i))
            return false;
    }
    return true;
}

QByteArray FormatSettingsRecord(const LauncherSettings &settings)
{
    QByteArray record;
    for (int i = 0; i < LauncherSettings::ValueCount; ++i) {
        if (i > 0)
            record.append(',');
        record.append(Quote);
        record.append(encodeValue(settings.value(i)).replace("\"", "\"\""));
        record.append(Quote);
    }
    record.append("\r\n");
    return record;
}

ParsedSettings ParseSettingsRecord(QByteArrayView data)
{
    // Editors put a byte-order mark in front; the old program never wrote one.
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    RawRecord raw = readValues(data, true);
    // Notes whose quote never closes are a file cut short, not one of the old program's,
    // whatever the old rule would make of them: that would drop the rest of the notes.
    bool notesCut =
        raw.complete == LauncherSettings::ValueCount - 1 && raw.stop == ValueEnd::Unclosed;
    // The old program always ended its record with a quote and CR LF.
    const bool oldEnd = data.endsWith("\"\r\n");
    if (raw.complete < LauncherSettings::ValueCount && !notesCut && oldEnd) {
        RawRecord old = readValues(data, false);
        if (old.complete > raw.complete)
            raw = std::move(old);
    }
    // It also wrote the quotes in the notes as they were: notes whose closing quote is
    // followed by more text run to the record's last quote. A comma after it starts a value
    // beyond the six, which is not read.
    const qsizetype lastQuote = data.size() - 3;
    if (raw.complete >= LauncherSettings::ValueCount - 1 && raw.notes.quote >= 0 &&
        !raw.notes.endsValue && oldEnd && lastQuote > raw.notes.quote) {
        raw.values[LauncherSettings::ValueCount - 1] =
            data.sliced(raw.notes.quote + 1, lastQuote - raw.notes.quote - 1).toByteArray();
        raw.complete = LauncherSettings::ValueCount;
        notesCut = false;
    }
    ParsedSettings parsed;
    parsed.valuesRead = raw.complete;
    parsed.notesCut = notesCut;
    for (int i = 0; i < raw.complete + (notesCut ? 1 : 0); ++i)
        parsed.settings.value(i) = decodeValue(raw.values[i]);
    return parsed;
}

SettingsReadResult ReadSettingsFile(const QString &path)
{
    SettingsReadResult result;
    QByteArray data;
    QString reason;
    if (!platform::readRegularFile(path, &data, &reason)) {
        result.error = QStringLiteral("Cannot read the settings file \"%1\": %2").arg(path, reason);
        return result;
    }
    result.readable = true;
    result.content = data;
    static_cast<ParsedSettings &>(result) = ParseSettingsRecord(data);
    if (result.notesCut) {
        result.error = QStringLiteral("The settings file \"%1\" ends inside the notes, before "
                                      "their closing quote.")
                           .arg(path);
    } else if (result.valuesRead < LauncherSettings::ValueCount) {
        result.error = QStringLiteral("The settings file \"%1\" ends after %2 of its %3 values.")
                           .arg(path)
                           .arg(result.valuesRead)
                           .arg(LauncherSettings::ValueCount);
    }
    return result;
}

QString SettingsFileProtected(const QString &path)
{
    return QStringLiteral("The settings file \"%1\" is write-protected, so nothing was saved.")
        .arg(path);
}

bool WriteSettingsFile(const QString &path, const LauncherSettings &settings, QString *error)
{
    // Through a link to a regular file, that file is written; anything else stays as it is.
    QString target = path;
    const platform::EntryKind kind = platform::entryKind(path);
    switch (kind) {
    case platform::EntryKind::Missing:
        break;
    case platform::EntryKind::RegularFile:
        target = QFileInfo(path).canonicalFilePath();
        // Replacing would get round the protection: a rename ignores the file's own mode.
        if (platform::isWriteProtected(target)) {
            if (error)
                *error = SettingsFileProtected(path);
            return false;
        }
        break;
    case platform::EntryKind::Other:
        if (error)
            *error = QStringLiteral("The settings file \"%1\" is not a regular file, so nothing "
                                    "was saved.")
                         .arg(path);
        return false;
    }
    const QByteArray record = FormatSettingsRecord(settings);
    const bool exists = kind == platform::EntryKind::RegularFile;
    QString reason;
    bool saved;
    // Replaced, a file of several names would keep the old record under the others.
    if (exists && platform::linkCount(target) > 1) {
        saved = platform::overwriteInPlace(target, record, &reason);
    } else {
        platform::ReplacingFile file(target);
        saved = file.open(&reason) && file.write(record, &reason) && file.commit(&reason);
        // A mount on the file, or a folder that takes no new file: written where it is, and
        // should that fail too, its reason is the one that counts.
        if (!saved && exists && file.placeRefused())
            saved = platform::overwriteInPlace(target, record, &reason);
    }
    if (!saved && error)
        *error = QStringLiteral("Cannot save the settings file \"%1\": %2").arg(path, reason);
    return saved;
}
