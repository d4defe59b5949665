#pragma once

#include <QString>

#include <cstddef>

// What the bench asks of the system it runs on; one implementation file per system.
namespace bench {

// The floor of a refresh: the system's plainest read of `folder`, its regular files whose
// names end in ".wad" in any case, sorted without regard to case. Gives how many.
std::size_t plainListing(const QString &folder);

// Heap in use, in kB: what the allocator has handed out and not taken back.
long heapInUseKb();
// What the system sees of the process in memory, allocator reserves and all, in kB.
long residentKb();

// A stand-in engine `name` in `folder` that makes the file `mark` as soon as it runs. Gives
// its name as the engine list shows it, or the empty text where the bench has none.
QString makeMarkingEngine(const QString &folder, const QString &name, const QString &mark);

// A stand-in engine `name` in `folder` that writes 100 MB on its standard output in lines of
// 64 bytes, says "I_Error: bench" on its error output and ends. Gives its name as the engine
// list shows it, or the empty text where the bench has none.
QString makeTalkingEngine(const QString &folder, const QString &name);

// A stand-in engine that waits until its gate opens, then says "I_Error: bench" on its error
// output and ends with status 3.
class FailingEngine
{
public:
    FailingEngine(const QString &folder, const QString &name, const QString &gate);
    ~FailingEngine();
    FailingEngine(const FailingEngine &) = delete;
    FailingEngine &operator=(const FailingEngine &) = delete;

    // Its name as the engine list shows it; empty where the bench has none.
    QString name() const { return m_name; }
    // Returns once the started engine waits at the gate.
    void waitUntilWaiting();
    // Lets it end.
    void open();

private:
    QString m_name, m_gate;
    // A file descriptor, or on Windows the gate's event; -1 is none.
    qintptr m_handle = -1;
    qintptr m_waiting = -1; // Windows: the event the engine sets once it waits
};

} // namespace bench
