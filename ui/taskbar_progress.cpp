// The taskbar button: see taskbar_progress.h.
#include "ui/taskbar_progress.h"

#include <shobjidl.h>

namespace {

// ITaskbarList3 held for one window; released with the button.
class ShellTaskbarButton final : public TaskbarButton {
public:
    ShellTaskbarButton(HWND window, ITaskbarList3* list) : window_(window), list_(list) {}
    ~ShellTaskbarButton() override { list_->Release(); }
    ShellTaskbarButton(const ShellTaskbarButton&) = delete;
    ShellTaskbarButton& operator=(const ShellTaskbarButton&) = delete;

    void setPercent(unsigned percent) override { list_->SetProgressValue(window_, percent, 100); }
    void setState(TaskbarState state) override {
        static constexpr TBPFLAG FLAGS[] = { TBPF_NOPROGRESS, TBPF_NORMAL, TBPF_PAUSED, TBPF_ERROR };
        list_->SetProgressState(window_, FLAGS[static_cast<int>(state)]);
    }

private:
    HWND window_;
    ITaskbarList3* list_;
};

} // namespace

std::unique_ptr<TaskbarButton> CreateShellTaskbarButton(HWND window) {
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))))
        return nullptr;
    if (FAILED(list->HrInit())) {
        list->Release();
        return nullptr;
    }
    return std::make_unique<ShellTaskbarButton>(window, list);
}

TaskbarButtonFactory createTaskbarButton = CreateShellTaskbarButton;

// Shows on the button what `taskbar` holds. The value first: setting it
// switches a button without progress to the normal state, which the state
// then corrects.
static void Refresh(HWND window, TaskbarProgress& taskbar) {
    if (!taskbar.created) {
        taskbar.created = true;
        taskbar.button = createTaskbarButton(window);
    }
    if (!taskbar.button) return;
    TaskbarState state = TaskbarState::None;
    if (taskbar.failuresOpen > 0) {
        taskbar.button->setPercent(taskbar.showing ? taskbar.percent : 100);
        state = TaskbarState::Error;
    } else if (taskbar.showing) {
        taskbar.button->setPercent(taskbar.percent);
        state = taskbar.paused ? TaskbarState::Paused : TaskbarState::Normal;
    }
    taskbar.button->setState(state);
}

void ShowTaskbarJob(HWND window, TaskbarProgress& taskbar, bool showing, unsigned percent, bool paused) {
    taskbar.showing = showing;
    taskbar.percent = percent;
    taskbar.paused = paused;
    Refresh(window, taskbar);
}

void ShowTaskbarFailure(HWND window, TaskbarProgress& taskbar, bool opened) {
    taskbar.failuresOpen += opened ? 1 : (taskbar.failuresOpen > 0 ? -1 : 0);
    Refresh(window, taskbar);
}
