// The installed prompt and the silent one used until a front end installs its own.

#include "store/Prompt.h"

#include <atomic>

namespace {

class SilentPrompt : public IPrompt {
public:
    void ShowMessage(const QString&, const QString&) override {}
    bool AskYesNo(const QString&, const QString&) override { return false; }
};

SilentPrompt silentPrompt;
std::atomic<IPrompt*> installedPrompt{&silentPrompt};

} // namespace

void InstallPrompt(IPrompt* prompt) {
    installedPrompt = prompt ? prompt : &silentPrompt;
}

IPrompt& CurrentPrompt() {
    return *installedPrompt;
}
