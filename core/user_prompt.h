// The seam through which a worker (and the page-side questions) speak to the
// user: a message box with caption and flags, and the overwrite question. The
// window program answers with MessageBoxA and the overwrite dialog (IDD_OVERWRITE) on the calling thread,
// the command line with the terminal, tests with a scripted recorder.
#pragma once

#include <string>

// Message box flags and answers, with the values the Windows API gives them.
constexpr unsigned BOX_OK = 0x0;
constexpr unsigned BOX_OKCANCEL = 0x1;
constexpr unsigned BOX_YESNO = 0x4;
constexpr unsigned BOX_DEFBUTTON2 = 0x100; // the second button (No) is the default
constexpr unsigned BOX_TASKMODAL = 0x2000;

constexpr int ANSWER_OK = 1;
constexpr int ANSWER_CANCEL = 2;
constexpr int ANSWER_YES = 6;
constexpr int ANSWER_NO = 7;
constexpr int ANSWER_YES_TO_ALL = 1002; // IDC_YES_TO_ALL, the overwrite question's third button

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // Shows `text` with `caption` and the BOX_ flags, with no owner window, and
    // gives the id of the button pressed.
    virtual int showMessage(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // Asks whether the existing file at `path` may be replaced: ANSWER_YES,
    // ANSWER_YES_TO_ALL or ANSWER_NO. Keeps no memory of earlier answers.
    virtual int askOverwrite(const std::string& path) = 0;
};
