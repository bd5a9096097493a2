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

// The main window's messages that drive the button. Progress and idle come
// from the page whose tick writes the title, right after it writes it, so the
// button follows the title; the failure message may be posted from a worker.
constexpr UINT MSG_TASKBAR_PROGRESS = WM_APP + 3; // wParam: whole percent; lParam: 1 when paused
constexpr UINT MSG_TASKBAR_IDLE = WM_APP + 4;
constexpr UINT MSG_TASKBAR_FAILURE = WM_APP + 5; // wParam: 1 a failure box opened, 0 it was dismissed

// What the main window keeps for its button.
struct TaskbarProgress {
    std::unique_ptr<TaskbarButton> button;
    bool created = false; // creation is tried once, at the first message: COM is up by then
    bool showing = false; // the title shows a job's percentage
    unsigned percent = 0; // the title's percentage
    bool paused = false;
    int failuresOpen = 0; // failure boxes shown and not yet dismissed (a split's and a join's)
};

// Takes one of the messages above and shows the result on the button. While
// a failure box is open the button shows the error state over everything
// else; with no percentage shown yet the red bar is full, so that it is seen.
void OnTaskbarMessage(HWND window, TaskbarProgress& taskbar, UINT message, WPARAM wParam, LPARAM lParam);
