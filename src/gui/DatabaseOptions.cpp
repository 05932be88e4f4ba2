// The main view's "RSS Database..." and "Network Connection..." entries.
#include "gui/QuillpostView.h"

void CQuillpostView::OpenDatabaseOptions() {
    ShowNotYetAvailable(QStringLiteral("The RSS Database Options dialog"), QString());
}

void CQuillpostView::OpenNetworkConnection() {
    ShowNotYetAvailable(QStringLiteral("The Network Connection dialog"), QString());
}
