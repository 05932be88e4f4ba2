// Writes and reads the Today and PocketBreeze hosts' registration of the Today-screen component.

#include "config/TodayRegistration.h"

#include "config/RegistrySettings.h"

namespace {
constexpr const char* Section = "Quillpost";
constexpr const char* ComponentDll = "\\Windows\\QuillpostToday.dll";
// The name a host cannot load: how a registration is switched off without removing it.
constexpr const char* DisabledComponentDll = "\\Windows\\QuillpostToday.dll2";
constexpr int PocketBreezeTabID = 5;

CRegistrySettings TodayHost() {
    CRegistrySettings host;
    host.SetRootPath(QStringLiteral("SOFTWARE\\Microsoft\\Today\\Items"),
                     RegistryHive::LocalMachine);
    return host;
}

CRegistrySettings PocketBreezeHost() {
    CRegistrySettings host;
    host.SetRootPath(QStringLiteral("Software\\SBSH\\PocketBreeze\\TabSettings"),
                     RegistryHive::CurrentUser);
    return host;
}

void DisableTodayHost() {
    const CRegistrySettings today = TodayHost();
    today.WriteString(Section, "Dll", DisabledComponentDll);
    today.WriteInt(Section, "Enabled", 0);
}
} // namespace

void WriteTodayRegistration(bool enable, bool usePocketBreeze, const QString& installFolder) {
    const CRegistrySettings pocketBreeze = PocketBreezeHost();
    if (enable && usePocketBreeze) {
        DisableTodayHost();
        pocketBreeze.WriteString(Section, "Dll", ComponentDll);
        pocketBreeze.WriteString(Section, "InstallPath", installFolder);
        pocketBreeze.WriteInt(Section, "Enabled", 1);
        pocketBreeze.WriteInt(Section, "TabID", PocketBreezeTabID);
    } else if (enable) {
        pocketBreeze.WriteInt(Section, "Enabled", 0);
        const CRegistrySettings today = TodayHost();
        today.WriteString(Section, "Dll", ComponentDll);
        today.WriteInt(Section, "Enabled", 1);
    } else if (usePocketBreeze) {
        pocketBreeze.WriteInt(Section, "Enabled", 0);
    } else {
        DisableTodayHost();
    }
}

void WriteTodaySelectability(bool selectionNavigation) {
    TodayHost().WriteInt(Section, "Selectability", selectionNavigation ? 2 : 0);
}

bool IsPocketBreezeRegistered() {
    return PocketBreezeHost().ReadInt(Section, "Enabled", 0) != 0;
}

bool IsTodayHostRegistered() {
    return TodayHost().ReadInt(Section, "Enabled", 0) != 0;
}
