// The real main window of the program, created in the test process, with the
// small actions a user takes on it: typing, pressing Enter, dropping files,
// switching tabs, and answering the boxes that come up.
#pragma once

#include "tests/gui/gui_driver.h"

#include <windows.h>

#include <future>
#include <string>
#include <vector>

class MainWindowHarness {
public:
    explicit MainWindowHarness(const char* commandLine = "");
    ~MainWindowHarness();

    HWND window() const { return window_; }
    HWND page(int index) const;
    HWND item(int pageIndex, int id) const { return GetDlgItem(page(pageIndex), id); }
    std::string text(int pageIndex, int id) const { return gui::ItemText(page(pageIndex), id); }
    std::string title() const { return gui::Text(window_); }

    // Sets an edit's text as typing would, with the EN_UPDATE that typing
    // causes (Wine sends none for WM_SETTEXT on multi-line edits).
    void type(int pageIndex, int id, const std::string& text) const;
    // Enter in an edit: key down, then the character.
    void pressEnter(int pageIndex, int id) const;
    // Drops files on an item, as Explorer would.
    void drop(int pageIndex, int id, const std::vector<std::string>& paths) const;
    // Selects a tab as a click on it would.
    void selectTab(int index) const;
    // Presses a button (BM_CLICK).
    void click(int pageIndex, int id) const;
    // Selects an entry of a combo box and notifies the page.
    void selectComboEntry(int pageIndex, int id, int index) const;

    // Pumps this thread's messages until `condition` holds (at most 20 s).
    bool pumpUntil(const std::function<bool()>& condition) const;

private:
    HWND window_ = nullptr;
};

// Answers, from another thread, the next box or dialog with this caption by
// pressing `button`; the future gives the text it showed ("" if none came).
std::future<std::string> AnswerLater(const std::string& caption, int button,
                                     int textId = gui::MESSAGE_BOX_TEXT_ID);

// Picks `path` in the next open-file dialog (types it into the file name field
// and presses Open), from another thread; the future gives the dialog's caption.
std::future<std::string> PickFileLater(const std::string& path);

// An answer that must come: the box's text, or a failure after the time limit
// while this thread goes on pumping messages for the window.
std::string Await(std::future<std::string>& answer, const MainWindowHarness& harness);
