// The Help page (dialog IDD_HELP): five topics, their texts, and the About panel
// (dialog IDD_ABOUT) shown in place of the text for the topic "About".
#pragma once

#include "morvane_version.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"

#include <windows.h>

INT_PTR CALLBACK HelpPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

struct HelpTopic {
    const char* title;
    const char* text;
};
constexpr int HELP_TOPIC_COUNT = 5;
extern const HelpTopic HELP_TOPICS[HELP_TOPIC_COUNT];

// The topic whose place the About panel takes; its text is empty.
constexpr int ABOUT_TOPIC = 2;
// Where the About panel goes in the Help page's client area, in pixels at 96
// DPI (scaled to the page's).
constexpr int ABOUT_PANEL_X = 100;
constexpr int ABOUT_PANEL_Y = 15;

// What the Help page keeps while its window lives, behind GWLP_USERDATA.
struct HelpPageState {
    int previousTopic = 0;
    HFONT topicFont = nullptr;
    HWND aboutPanel = nullptr; // nullptr when IDD_ABOUT could not be created
    RECT clientRect {};        // taken once, for the header gradient
    int dpi = 96;              // the page's, taken once: the gradient and the panel's place
    WNDPROC previousTextProc = nullptr;
};

// ---- The About panel -------------------------------------------------------

inline constexpr char ABOUT_PRODUCT_NAME[] = MORVANE_PRODUCT_NAME;
inline constexpr char ABOUT_VERSION[] = "Version " MORVANE_VERSION_SHORT; // the build's major.minor
inline constexpr char ABOUT_COPYRIGHT[] = MORVANE_COPYRIGHT;
inline constexpr char ABOUT_WEB_HEADING[] =
    "For updates, further information, and additional programs, visit:";
inline constexpr char ABOUT_WEB_TEXT[] = "morvane.example.org";
inline constexpr char ABOUT_WEB_ADDRESS[] = "https://morvane.example.org/";
inline constexpr char ABOUT_MAIL_HEADING[] = "For questions, comments, or suggestions, send an e-mail to:";
inline constexpr char ABOUT_MAIL_ADDRESS[] = "help@morvane.example.org";
constexpr COLORREF ABOUT_LINK_COLOUR = rgb(15, 50, 170);

// How the panel opens a link: ShellExecuteA. Tests put a recorder here so that
// a click under Wine starts no browser or mail program.
using ShellOpenFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                             LPCSTR directory, INT show);
extern ShellOpenFunction aboutShellOpen;
