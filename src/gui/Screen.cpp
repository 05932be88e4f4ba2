#include "gui/Screen.h"

CScreen::CScreen(int screenId, const QString& windowName, QWidget* parent)
    : QWidget(parent), commandBar_(new QToolBar(windowName)), screenId_(screenId) {
    setObjectName(windowName);
    commandBar_->setObjectName(windowName + QStringLiteral("Bar"));
    commandBar_->setMovable(false);
    commandBar_->setFloatable(false);
    commandBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    commandBar_->setIconSize(QSize(22, 22));
}
