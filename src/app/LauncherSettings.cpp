#include "app/LauncherSettings.h"

#include <QFile>
#include <QSaveFile>

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

// One value; false when the data ends before the value is complete.
bool readValue(const QByteArray &data, qsizetype &pos, QByteArray *value)
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
        if (pos < data.size() && data[pos] == Quote) {
            value->append(Quote);
            ++pos;
            continue;
        }
        break;
    }
    skipDelimiter(data, pos);
    return true;
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
    qsizetype pos = 0;
    QByteArray raw;
    for (int i = 0; i < LauncherSettings::ValueCount; ++i) {
        if (!readValue(data, pos, &raw))
            return i;
        const QString text = QString::fromUtf8(raw);
        settings->value(i) = i == LauncherSettings::ValueCount - 1 ? notesFromFile(text) : text;
    }
    return LauncherSettings::ValueCount;
}

SettingsReadResult ReadSettingsFile(const QString &path)
{
    SettingsReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read the settings file \"%1\": %2")
                           .arg(path, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read the settings file \"%1\": %2")
                           .arg(path, file.errorString());
        return result;
    }
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
    QSaveFile file(path);
    const QByteArray record = FormatSettingsRecord(settings);
    if (!file.open(QIODevice::WriteOnly) || file.write(record) != record.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot save the settings file \"%1\": %2")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}
