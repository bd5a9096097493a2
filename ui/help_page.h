// The Help page (dialog 104): five topics, their texts, and the About panel
// (dialog 103) shown in place of the text for the topic "About".
#pragma once

#include <windows.h>

INT_PTR CALLBACK HelpPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

struct HelpTopic {
    const char* title;
    const char* text;
};
constexpr int HELP_TOPIC_COUNT = 5;
extern const HelpTopic HELP_TOPICS[HELP_TOPIC_COUNT];

// The About panel's window, once the Help page has created it.
HWND aboutPanel();
