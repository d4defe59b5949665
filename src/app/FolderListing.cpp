#include "app/FolderListing.h"

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

// Folded once per name, so the sort compares plain bytes (UTF-8 keeps the order of
// code points) rather than folding at every comparison.
QByteArray sortKey(QByteArrayView name)
{
    if (!isAscii(name))
        return platform::fileNameText(name).toCaseFolded().toUtf8();
    QByteArray key(name.data(), name.size());
    for (char &c : key)
        c = asciiLower(c);
    return key;
}

} // namespace

QString AbsoluteFolder(const QString &folder)
{
    if (folder.isEmpty() || QDir::isAbsolutePath(folder))
        return folder;
    const QString current = platform::currentFolder();
    return current.isEmpty() ? folder : current + platform::separator() + folder;
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

bool ListFolder(const QString &folder, const ListingRule &rule, QStringList *names, QString *reason)
{
    std::vector<QStringList> lists;
    const bool ok = ListFolder(folder, std::vector<ListingRule>{rule}, &lists, reason);
    *names = std::move(lists.front());
    return ok;
}

bool ListFolder(const QString &folder, const std::vector<ListingRule> &rules,
                std::vector<QStringList> *lists, QString *reason)
{
    lists->assign(rules.size(), QStringList());
    if (folder.isEmpty())
        return true;

    struct Entry
    {
        QByteArray key;
        QByteArray name;
    };
    std::vector<std::vector<Entry>> kept(rules.size());
    const bool read = platform::forEachFile(
        folder,
        [&](const platform::FolderEntry &file) {
            const QByteArrayView name = file.name;
            QByteArray key; // made once, for the first list that wants the file
            for (size_t i = 0; i < rules.size(); ++i) {
                const ListingRule &rule = rules[i];
                if (rule.matches(name) ||
                    (rule.alsoPrograms && !IsDataFileName(name) && file.isProgram())) {
                    if (key.isNull())
                        key = sortKey(name);
                    kept[i].push_back({key, QByteArray(name.data(), name.size())});
                }
            }
        },
        reason);
    if (!read)
        return false;

    for (size_t i = 0; i < rules.size(); ++i) {
        std::vector<Entry> &entries = kept[i];
        std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
            const int order = std::strcmp(a.key.constData(), b.key.constData());
            return order != 0 ? order < 0 : std::strcmp(a.name.constData(), b.name.constData()) < 0;
        });
        QStringList &names = (*lists)[i];
        names.reserve(qsizetype(entries.size()));
        for (const Entry &entry : entries) {
            QString name = platform::fileNameText(entry.name);
            if (!name.isNull())
                names.append(std::move(name));
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
                result.ok = ListFolder(m_requests[i].folder, m_requests[i].rules, &result.lists,
                                       &result.reason);
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
