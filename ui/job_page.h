// What the Split and Join pages share around their job: the worker thread and
// its status timer, the painted bar, and the messages both pages handle alike
// (paint, close, the close question, the timer, colours). Each page keeps its
// own dialog procedure and passes these messages here.
#pragma once

#include "core/job_control.h"

#include <windows.h>

struct JobPage {
    JobControl& control;
    JobProgress& progress;
    HANDLE& worker;         // the most recent worker thread
    const RECT& clientRect; // taken at initialisation: the header gradient's width
    bool isJoinPage;
};

// Makes item 1023 the painted progress bar, with its range and its colours
// (bar RGB(175, 175, 255) on RGB(230, 230, 255)).
void InitJobPageBar(HWND page);

// Locks the page's inputs, starts `routine` with `args` on a thread of its own
// and the status timer. When the thread cannot be created, the page is
// restored and `failure` shown.
void StartJobThread(HWND page, const JobPage& job, LPTHREAD_START_ROUTINE routine, void* args,
                    const char* failure);

// Handles the messages both working pages treat alike; true when it did, with
// the dialog procedure's result in `result`.
bool HandleJobPageMessage(HWND page, UINT message, WPARAM wParam, const JobPage& job, INT_PTR& result);
