// Running work on the user-interface thread and waiting for it.

#pragma once

#include <functional>

// Runs work on the user-interface thread and waits for it, as the worker's reports must wait
// until the screen has shown them. Called on the user-interface thread it runs at once.
//
// While the user-interface thread itself waits for a worker (joining it before a new run or at
// exit) it cannot answer, so it first lets such waits go: a call that was not yet taken up is
// then dropped and its caller returns at once.
void RunOnUiThread(const std::function<void()>& work);

// Lets every waiting call go (and drops calls made meanwhile) for the lifetime of the object.
class UiThreadCallsReleased {
public:
    UiThreadCallsReleased();
    ~UiThreadCallsReleased();
    UiThreadCallsReleased(const UiThreadCallsReleased&) = delete;
    UiThreadCallsReleased& operator=(const UiThreadCallsReleased&) = delete;
};
