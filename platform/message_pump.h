#pragma once

#include <windows.h>

// The program's one way of handling window messages, shared by the main loop and by waits
// that keep the window alive: keyboard navigation (Tab, mnemonics, Enter, Esc) and the
// accelerator table apply to every message, wherever it is dispatched.

// The accelerator table that HandleMessage applies; the program's entry point hands it over.
void UseAccelerators(HACCEL accelerators);

// Gives the message to accelerators and dialog navigation first, then dispatches it.
void HandleMessage(MSG& message);

// Handles every message already queued for this thread and returns without waiting.
// Returns false once the program has been asked to quit (a WM_QUIT was taken from the queue,
// now or earlier); the request is kept, and RunMessageLoop ends on it.
bool PumpPendingMessages();

// True once a WM_QUIT has been taken from the queue by PumpPendingMessages.
bool QuitRequested();

// Handles what a busy program still answers while it takes no input: the messages that other
// threads and programs send to this thread, the paint messages already queued, and a close that
// another program posted. Input stays queued for later (a close the user asks for among it).
void PumpAllButInput();

// Windows is ending the session (or an installer closes the program): the waits that keep the
// window alive (the runner's pause and its watch for Outlook) return at once, now and for the rest
// of the run, for the process may be ended at any moment.
void EndEveryWait();
bool WaitsEnded();

// Runs until WM_QUIT and returns its exit code; a quit request that PumpPendingMessages took
// already ends it at once. Either way the request is used up.
int RunMessageLoop();
