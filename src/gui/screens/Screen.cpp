// The base of the main view's full-window screens and the widgets they share.

#include "gui/screens/Screen.h"

#include <algorithm>

CScreen::CScreen(int screenId, const QString& windowName, QWidget* parent)
    : QWidget(parent), commandBar_(new QToolBar(windowName)), screenId_(screenId) {
    setObjectName(windowName);
    commandBar_->setObjectName(windowName + QStringLiteral("Bar"));
    commandBar_->setMovable(false);
    commandBar_->setFloatable(false);
    commandBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    commandBar_->setIconSize(QSize(22, 22));
}

QLabel* CScreen::MakeTitleStrip(const QString& text) {
    auto* strip = new QLabel(text);
    strip->setObjectName(QStringLiteral("TitleStrip"));
    strip->setStyleSheet(QStringLiteral("QLabel { background: palette(highlight); color: "
                                        "palette(highlighted-text); padding: 5px 10px; "
                                        "font-weight: bold; }"));
    return strip;
}

QLabel* CScreen::MakeNote(const QString& html) {
    auto* note = new QLabel(html);
    note->setObjectName(QStringLiteral("EmptyNote"));
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setMargin(24);
    note->setStyleSheet(
        QStringLiteral("QLabel { color: palette(dark); background: palette(base); }"));
    return note;
}

void CScreen::MoveSelection(QAbstractItemView* list, int rows) {
    const int count = list->model() ? list->model()->rowCount() : 0;
    if (count == 0)
        return;
    const int current = list->currentIndex().isValid() ? list->currentIndex().row() : -1;
    const int wanted = std::clamp(current < 0 ? 0 : current + rows, 0, count - 1);
    const QModelIndex index = list->model()->index(wanted, 0);
    list->setCurrentIndex(index);
    list->scrollTo(index);
}
