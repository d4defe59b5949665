#include "core/listing/FolderListing.h"

#include "platform/Platform.h"

#include <QDir>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

// A folder can hold 100,000 names: they are filtered and sorted as the bytes the file
// system gives, and only the names that are listed become text.

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// `lowerSuffix` is ASCII in lower case.
bool endsWithIgnoringCase(QByteArrayView name, QByteArrayView lowerSuffix)
{
    if (name.size() < lowerSuffix.size())
        return false;
    const char *tail = name.data() + name.size() - lowerSuffix.size();
    for (qsizetype i = 0; i < lowerSuffix.size(); ++i) {
        if (asciiLower(tail[i]) != lowerSuffix[i])
            return false;
    }
    return true;
}

bool isPlainAsciiSuffix(const QString &wildcard)
{
    static const QRegularExpression special(QStringLiteral("[*?\\[\\]]"));
    const QString suffix = wildcard.mid(1);
    return wildcard.startsWith(QLatin1Char('*')) && !suffix.contains(special) &&
           isAscii(suffix.toUtf8());
}

// What a name that is not ASCII sorts by: its case-folded UTF-8 (which keeps the order of
// code points), folded once per name rather than at every comparison. An ASCII name sorts by
// its bytes in lower case.
QByteArray sortKey(QByteArrayView name)
{
    return platform::fileNameText(name).toCaseFolded().toUtf8();
}

} // namespace

QString AbsoluteFolder(const QString &folder)
{
    // In the system's spelling, so that no mixed "C:/x\\y" reaches a file, a tooltip or an
    // engine; and whole, as the engine runs in a folder of its own.
    return platform::absolutePath(QDir::toNativeSeparators(folder));
}

bool IsDataFileName(QByteArrayView name)
{
    return endsWithIgnoringCase(name, ".wad") || endsWithIgnoringCase(name, ".lmp");
}

ListingRule::ListingRule(const QString &patterns_, bool alsoPrograms_)
    : patterns(patterns_), alsoPrograms(alsoPrograms_)
{
    QStringList others;
    for (const QString &part : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString wildcard = part.trimmed();
        if (isPlainAsciiSuffix(wildcard))
            m_suffixes << wildcard.mid(1).toLower().toUtf8();
        else
            others << QRegularExpression::wildcardToRegularExpression(
                wildcard, QRegularExpression::UnanchoredWildcardConversion);
    }
    if (!others.isEmpty())
        m_patterns.setPattern(QStringLiteral("^(?:%1)$").arg(others.join(QLatin1Char('|'))));
    m_patterns.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
}

bool ListingRule::matches(QByteArrayView name) const
{
    for (const QByteArray &suffix : m_suffixes) {
        if (endsWithIgnoringCase(name, suffix))
            return true;
    }
    return !m_patterns.pattern().isEmpty() &&
           m_patterns.match(platform::fileNameText(name)).hasMatch();
}

FolderNames::FolderNames(const QStringList &names)
{
    for (const QString &name : names)
        append(name);
}

QStringView FolderNames::at(qsizetype i) const
{
    const quint32 start = i == 0 ? 0 : m_ends[size_t(i - 1)];
    return QStringView(m_text).sliced(start, m_ends[size_t(i)] - start);
}

qsizetype FolderNames::indexOf(QStringView name) const
{
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i) == name)
            return i;
    }
    return -1;
}

QStringList FolderNames::toList() const
{
    QStringList names;
    names.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        names << at(i).toString();
    return names;
}

void FolderNames::append(QStringView name)
{
    m_text.append(name);
    m_ends.push_back(quint32(m_text.size()));
}

void FolderNames::append(QLatin1String name)
{
    m_text.append(name);
    m_ends.push_back(quint32(m_text.size()));
}

void FolderNames::reserve(qsizetype names, qsizetype characters)
{
    m_ends.reserve(size_t(names));
    m_text.reserve(characters);
}

bool ListFolder(const QString &folder, const ListingRule &rule, FolderNames *names, QString *reason)
{
    std::vector<FolderNames> lists;
    const bool ok = ListFolder(folder, std::vector<ListingRule>{rule}, &lists, reason);
    *names = std::move(lists.front());
    return ok;
}

bool ListFolder(const QString &folder, const std::vector<ListingRule> &rules,
                std::vector<FolderNames> *lists, QString *reason, QStringList *leftovers)
{
    lists->assign(rules.size(), FolderNames());
    if (folder.isEmpty())
        return true;

    // Every kept name and its sort key go into one buffer: no allocation per file. Keys are
    // compared as plain bytes, names that differ in case only by their own bytes.
    struct Entry
    {
        quint32 name, nameSize, key, keySize;
        bool ascii;
    };
    QByteArray bytes;
    std::vector<std::vector<Entry>> kept(rules.size());
    const bool read = platform::forEachFile(
        folder,
        [&](const platform::FolderEntry &file) {
            const QByteArrayView name = file.name;
            Entry entry{0, 0, 0, 0, true};
            bool stored = false;
            for (size_t i = 0; i < rules.size(); ++i) {
                const ListingRule &rule = rules[i];
                if (!rule.matches(name) &&
                    !(rule.alsoPrograms && !IsDataFileName(name) && file.isProgram()))
                    continue;
                if (!stored) {
                    stored = true;
                    entry.name = entry.key = quint32(bytes.size());
                    entry.nameSize = entry.keySize = quint32(name.size());
                    bytes.append(name);
                    entry.ascii = isAscii(name);
                    entry.key = quint32(bytes.size());
                    if (!entry.ascii) {
                        const QByteArray key = sortKey(name);
                        entry.keySize = quint32(key.size());
                        bytes.append(key);
                    } else {
                        bytes.append(name);
                        char *lowered = bytes.data() + entry.key;
                        for (quint32 c = 0; c < entry.nameSize; ++c)
                            lowered[c] = asciiLower(lowered[c]);
                    }
                }
                kept[i].push_back(entry);
            }
        },
        reason, leftovers);
    if (!read)
        return false;

    const auto view = [&bytes](quint32 at, quint32 size) {
        return QByteArrayView(bytes.constData() + at, size);
    };
    for (size_t i = 0; i < rules.size(); ++i) {
        std::vector<Entry> &entries = kept[i];
        std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
            const int order = view(a.key, a.keySize).compare(view(b.key, b.keySize));
            return order != 0 ? order < 0
                              : view(a.name, a.nameSize).compare(view(b.name, b.nameSize)) < 0;
        });
        FolderNames &names = (*lists)[i];
        qsizetype characters = 0;
        for (const Entry &entry : entries)
            characters += entry.nameSize;
        names.reserve(qsizetype(entries.size()), characters);
        for (const Entry &entry : entries) {
            const QByteArrayView name = view(entry.name, entry.nameSize);
            if (entry.ascii) {
                names.append(QLatin1String(name.data(), name.size()));
                continue;
            }
            const QString text = platform::fileNameText(name);
            if (!text.isNull())
                names.append(text);
        }
    }
    return true;
}

FolderBatch::FolderBatch(std::vector<Request> requests)
    : m_requests(std::move(requests)), m_results(m_requests.size())
{
    const size_t threads =
        std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), m_requests.size());
    for (size_t t = 0; t < threads; ++t) {
        m_workers.push_back(std::async(std::launch::async, [this] {
            for (size_t i = m_next++; i < m_requests.size(); i = m_next++) {
                Result &result = m_results[i];
                result.identity = platform::fileIdentity(m_requests[i].folder);
                result.ok = ListFolder(m_requests[i].folder, m_requests[i].rules, &result.lists,
                                       &result.reason, &result.leftovers);
            }
        }));
    }
}

FolderBatch::~FolderBatch()
{
    for (std::future<void> &worker : m_workers)
        worker.wait();
}

std::vector<FolderBatch::Result> &FolderBatch::results()
{
    for (std::future<void> &worker : m_workers)
        worker.wait();
    return m_results;
}
