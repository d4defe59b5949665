#pragma once

#include <functional>

class QObject;

// The launcher can be ended from outside at any moment: by a signal, by its display going away,
// by the end of the session. Work that would leave files half done meanwhile registers here how
// to undo itself, and whatever ends the launcher unwinds it first.
namespace ending {

// Whether the launcher is being ended: long work stops at its next step and says nothing more.
// Safe to call and to set from a signal handler.
bool requested();
void request();

// Registers `undo` for as long as it lives; dismiss() once the work is done. Undone last in,
// first out, each at most once.
class Undo
{
public:
    explicit Undo(std::function<void()> undo);
    ~Undo();
    Undo(const Undo &) = delete;
    Undo &operator=(const Undo &) = delete;

    void dismiss();

private:
    int m_id;
};

// Runs every registered undo now, on the window's thread. Also runs when the process exits
// without unwinding its stack (the display library ends it that way when the display goes).
void unwindAll();

// Calls `ended` on the window's thread when the system asks the launcher to end: SIGTERM,
// SIGHUP (the terminal or the session went) or SIGINT on POSIX, the end of the session on
// Windows, whose next step is to kill the launcher, so `ended` must finish its undoing itself.
// `ended` gets the exit status to end with. Set up once, before the window is shown.
void onEndRequested(QObject *context, std::function<void(int status)> ended);

} // namespace ending
