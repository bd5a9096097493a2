// Drives real windows of this process from a test: finds a top-level window by
// caption, reads texts, presses buttons, pumps messages. Every wait polls with
// a time limit.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace gui {

constexpr int MESSAGE_BOX_TEXT_ID = 0xFFFF; // the static that holds a message box's text

// A visible top-level window of this process with exactly this caption, or
// nullptr after `limit`.
HWND WaitForWindow(const std::string& caption,
                   std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

// A visible top-level window of this process with exactly this caption, or
// nullptr; does not wait. (FindWindow would also find the windows of other
// test programs running at the same time.)
HWND FindOwnWindow(const std::string& caption);

// The same for a window of another process.
HWND WaitForProcessWindow(DWORD process, const std::string& caption,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

// The window's or the item's text, also from a window of another process.
std::string Text(HWND window);
std::string ItemText(HWND dialog, int item);

// Presses a button as a click would (BM_CLICK, sent).
void Click(HWND dialog, int buttonId);

// Waits for the message box or dialog with `caption`, reads the text of item
// `textId`, presses `buttonId`, and gives the text ("" when no window came).
std::string Answer(const std::string& caption, int buttonId, int textId = MESSAGE_BOX_TEXT_ID);

// Processes this thread's queued messages until `condition` holds or `limit`
// passes.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

} // namespace gui
