// What the window keeps between starts in the configuration file.

#include "gui/window/WindowState.h"

#include "config/RegistrySettings.h"

namespace {
const QString Section = QStringLiteral("Window");
} // namespace

CWindowState::Layout CWindowState::ChosenLayout() {
    const int value =
        CRegistrySettings::ForQuillpost().ReadInt(Section, QStringLiteral("Layout"), 0);
    return value == 1 ? Layout::Wide : value == 2 ? Layout::Narrow : Layout::Automatic;
}

void CWindowState::SetChosenLayout(Layout layout) {
    CRegistrySettings::ForQuillpost().WriteInt(Section, QStringLiteral("Layout"), int(layout));
}

bool CWindowState::ReadingPaneBeside() {
    return CRegistrySettings::ForQuillpost().ReadInt(Section, QStringLiteral("PaneBeside"), 0) != 0;
}

void CWindowState::SetReadingPaneBeside(bool beside) {
    CRegistrySettings::ForQuillpost().WriteInt(Section, QStringLiteral("PaneBeside"),
                                               beside ? 1 : 0);
}

// Kept as Base64 text, so that the file stays readable.
QByteArray CWindowState::Read(const char* name) {
    return QByteArray::fromBase64(CRegistrySettings::ForQuillpost()
                                      .ReadString(Section, QString::fromLatin1(name), QString())
                                      .toLatin1());
}

void CWindowState::Write(const char* name, const QByteArray& state) {
    CRegistrySettings::ForQuillpost().WriteString(Section, QString::fromLatin1(name),
                                                  QString::fromLatin1(state.toBase64()));
}

QRect CWindowState::NormalGeometry() {
    const QStringList parts = CRegistrySettings::ForQuillpost()
                                  .ReadString(Section, QStringLiteral("Geometry"), QString())
                                  .split(u',');
    if (parts.size() != 4)
        return {};
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

bool CWindowState::Maximized() {
    return CRegistrySettings::ForQuillpost().ReadInt(Section, QStringLiteral("Maximized"), 0) != 0;
}

void CWindowState::SetGeometry(const QRect& normal, bool maximized) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.WriteString(Section, QStringLiteral("Geometry"),
                      QStringLiteral("%1,%2,%3,%4")
                          .arg(normal.x())
                          .arg(normal.y())
                          .arg(normal.width())
                          .arg(normal.height()));
    store.WriteInt(Section, QStringLiteral("Maximized"), maximized ? 1 : 0);
}
