#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <atomic>
#include <future>
#include <vector>

// The names one list shows, in its order. A folder can list 100,000 of them: they are kept as
// one text, not as a string each.
class FolderNames
{
public:
    FolderNames() = default;
    explicit FolderNames(const QStringList &names);

    qsizetype size() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }
    QStringView at(qsizetype i) const;
    // -1 when `name` is not among them.
    qsizetype indexOf(QStringView name) const;
    QStringList toList() const;

    void append(QStringView name);
    void append(QLatin1String name);
    void reserve(qsizetype names, qsizetype characters);

    bool operator==(const FolderNames &other) const
    {
        return m_ends == other.m_ends && m_text == other.m_text;
    }
    bool operator!=(const FolderNames &other) const { return !(*this == other); }

private:
    QString m_text;
    std::vector<quint32> m_ends; // where each name ends in m_text
};

// WADs and demos ("*.wad", "*.lmp", any letter case): never taken for programs, execute bit
// or not. `name` as the file system spells it (UTF-8 here).
bool IsDataFileName(QByteArrayView name);

// Which files of a folder a folder list shows.
class ListingRule
{
public:
    // Wildcards separated by ";", matched without regard to case.
    explicit ListingRule(const QString &patterns, bool alsoPrograms = false);

    // `name` as the file system spells it (UTF-8 here).
    bool matches(QByteArrayView name) const;

    QString patterns;
    // Also list every program file, as engines on this platform carry no suffix.
    bool alsoPrograms = false;

private:
    // Patterns like "*.wad" are plain suffix tests on the bytes; anything else goes to the
    // expression.
    QList<QByteArray> m_suffixes;
    QRegularExpression m_patterns;
};

// `folder` as a list holds it: with the system's separators, absolute, a relative one taken in
// the current folder; the empty text stays empty, and so does a relative folder when the
// current one cannot be named.
QString AbsoluteFolder(const QString &folder);

// The names of the plain, visible files in `folder` that `rule` admits, sorted
// alphabetically without regard to case. The empty folder lists nothing.
// Returns false with the system's reason when the folder cannot be read.
bool ListFolder(const QString &folder, const ListingRule &rule, FolderNames *names,
                QString *reason);

// The same for several lists of one folder, which is read once: (*lists)[i] gets what
// rules[i] admits. `leftovers`, when given, gets the names of files that a launcher that died
// left half written there.
bool ListFolder(const QString &folder, const std::vector<ListingRule> &rules,
                std::vector<FolderNames> *lists, QString *reason, QStringList *leftovers = nullptr);

// Several folders read side by side, on no more threads than the machine has cores, in the
// order given (put the costliest first). Reading starts at once; results() waits for it.
class FolderBatch
{
public:
    struct Request
    {
        QString folder;
        std::vector<ListingRule> rules;
    };
    struct Result
    {
        bool ok = false;
        std::vector<FolderNames> lists; // one for each rule
        QString reason;
        QStringList leftovers; // half-written files of a launcher that died
        QByteArray identity;   // which folder it was (platform::fileIdentity)
    };

    explicit FolderBatch(std::vector<Request> requests);
    ~FolderBatch();
    FolderBatch(const FolderBatch &) = delete;
    FolderBatch &operator=(const FolderBatch &) = delete;

    std::vector<Result> &results();
    const QString &folder(size_t request) const { return m_requests[request].folder; }

private:
    std::vector<Request> m_requests;
    std::vector<Result> m_results;
    std::atomic<size_t> m_next{0};
    std::vector<std::future<void>> m_workers;
};
