// The main window's taskbar button while jobs run: the percentage the title
// shows, the paused state, the error state while a failure message is open,
// and nothing once no job runs. The button is reached through a small seam
// (TaskbarButton) so that tests can record what it is told.
#pragma once

#include <windows.h>

#include <memory>

enum class TaskbarState { None, Normal, Paused, Error };

// The calls made on a taskbar button; the real one is ITaskbarList3.
class TaskbarButton {
public:
    virtual ~TaskbarButton() = default;
    virtual void setPercent(unsigned percent) = 0; // the bar's length, 0 to 100
    virtual void setState(TaskbarState state) = 0;
};

// The button of `window` through the shell's ITaskbarList3; nullptr where the
// shell has none to give (CoCreateInstance fails, as before Windows 7 and in
// some Wine setups): then the button simply shows nothing.
std::unique_ptr<TaskbarButton> CreateShellTaskbarButton(HWND window);

// How the main window gets its button: CreateShellTaskbarButton. Tests put a
// recorder here before they create the window.
using TaskbarButtonFactory = std::unique_ptr<TaskbarButton> (*)(HWND window);
extern TaskbarButtonFactory createTaskbarButton;

// What the main window keeps for its button.
struct TaskbarProgress {
    std::unique_ptr<TaskbarButton> button;
    bool created = false; // creation is tried once, at the first use: COM is up by then
    bool showing = false; // the title shows a job's percentage
    unsigned percent = 0; // the title's percentage
    bool paused = false;
    int failuresOpen = 0; // failure boxes shown and not yet dismissed (a split's and a join's)
};

// The job the title shows, at each tick of the window's job timer: its whole
// percentage and whether it is held; `showing` false when the title shows
// none.
void ShowTaskbarJob(HWND window, TaskbarProgress& taskbar, bool showing, unsigned percent, bool paused);
// A failure box opened (true) or was dismissed (false): MSG_TASKBAR_FAILURE.
// While one is open the button shows the error state over everything else;
// with no percentage shown the red bar is full, so that it is seen.
void ShowTaskbarFailure(HWND window, TaskbarProgress& taskbar, bool opened);
