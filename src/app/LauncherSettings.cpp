#include "app/LauncherSettings.h"

#include "platform/Platform.h"

#include <QFileInfo>

#include <utility>

namespace {

const char Quote = '"';

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// After a value: skip to the comma or line end that ends it and step over that.
void skipDelimiter(const QByteArray &data, qsizetype &pos)
{
    while (pos < data.size() && data[pos] != ',' && !isLineEnd(data[pos]))
        ++pos;
    if (pos >= data.size())
        return;
    if (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n')
        ++pos;
    ++pos;
}

// One value; false when the data ends before the value is complete. With `doubledQuotes`
// a doubled quote inside a quoted value stands for one quote, as this launcher writes it;
// without, a quoted value runs to the next quote, as files of the old program read.
bool readValue(const QByteArray &data, qsizetype &pos, QByteArray *value, bool doubledQuotes)
{
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t'))
        ++pos;
    if (pos >= data.size())
        return false;

    if (data[pos] != Quote) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != ',' && !isLineEnd(data[end]))
            ++end;
        *value = data.mid(pos, end - pos).trimmed();
        pos = end;
        skipDelimiter(data, pos);
        return true;
    }

    ++pos;
    value->clear();
    for (;;) {
        const qsizetype close = data.indexOf(Quote, pos);
        if (close < 0)
            return false;
        value->append(data.constData() + pos, close - pos);
        pos = close + 1;
        if (doubledQuotes && pos < data.size() && data[pos] == Quote) {
            value->append(Quote);
            ++pos;
            continue;
        }
        break;
    }
    skipDelimiter(data, pos);
    return true;
}

int readValues(const QByteArray &data, QByteArray (&values)[LauncherSettings::ValueCount],
               bool doubledQuotes)
{
    qsizetype pos = 0;
    for (int i = 0; i < LauncherSettings::ValueCount; ++i) {
        if (!readValue(data, pos, &values[i], doubledQuotes))
            return i;
    }
    return LauncherSettings::ValueCount;
}

QString notesFromFile(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// The exact inverse of notesFromFile(), so a save never changes what was read.
QString notesToFile(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
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
        const QString text = i == LauncherSettings::ValueCount - 1 ? notesToFile(settings.value(i))
                                                                   : settings.value(i);
        if (i > 0)
            record.append(',');
        record.append(Quote);
        record.append(text.toUtf8().replace("\"", "\"\""));
        record.append(Quote);
    }
    record.append("\r\n");
    return record;
}

int ParseSettingsRecord(const QByteArray &data, LauncherSettings *settings)
{
    QByteArray raw[LauncherSettings::ValueCount];
    int count = readValues(data, raw, true);
    // The old program always ended its record with a quote and CR LF; without them this is
    // more likely one of our files cut short, whose notes the old rule would cut shorter.
    if (count < LauncherSettings::ValueCount && data.endsWith("\"\r\n")) {
        QByteArray old[LauncherSettings::ValueCount];
        const int oldCount = readValues(data, old, false);
        if (oldCount > count) {
            count = oldCount;
            std::swap(raw, old);
        }
    }
    const bool utf8 = QByteArrayView(data).isValidUtf8();
    for (int i = 0; i < count; ++i) {
        const QString text =
            utf8 ? QString::fromUtf8(raw[i]) : platform::fromSystemCodePage(raw[i]);
        settings->value(i) = i == LauncherSettings::ValueCount - 1 ? notesFromFile(text) : text;
    }
    return count;
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
    result.valuesRead = ParseSettingsRecord(data, &result.settings);
    if (result.valuesRead < LauncherSettings::ValueCount) {
        result.error = QStringLiteral("The settings file \"%1\" ends after %2 of its %3 values.")
                           .arg(path)
                           .arg(result.valuesRead)
                           .arg(LauncherSettings::ValueCount);
    }
    return result;
}

bool WriteSettingsFile(const QString &path, const LauncherSettings &settings, QString *error)
{
    // Through a link to a regular file, that file is written; anything else stays as it is.
    QString target = path;
    switch (platform::entryKind(path)) {
    case platform::EntryKind::Missing:
        break;
    case platform::EntryKind::RegularFile:
        target = QFileInfo(path).canonicalFilePath();
        break;
    case platform::EntryKind::Other:
        if (error)
            *error = QStringLiteral("The settings file \"%1\" is not a regular file, so nothing "
                                    "was saved.")
                         .arg(path);
        return false;
    }
    platform::ReplacingFile file(target);
    const QByteArray record = FormatSettingsRecord(settings);
    QString reason;
    if (!file.open(&reason) || !file.write(record, &reason) || !file.commit(&reason)) {
        if (error)
            *error = QStringLiteral("Cannot save the settings file \"%1\": %2").arg(path, reason);
        return false;
    }
    return true;
}
