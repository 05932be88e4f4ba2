// The frame the feed and item lists share: title strip, list and button bar.

#include "gui/screens/ListScreen.h"

#include "gui/desktop/Icons.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

namespace {
constexpr int ButtonBarThickness = 40;
constexpr int LandscapeMenuShift = 40;
} // namespace

CListScreen::CListScreen(int screenId, const QString& windowName, QWidget* parent)
    : CScreen(screenId, windowName, parent), strip_(MakeTitleStrip(QString())),
      list_(new QListView), buttonBar_(new QToolBar), grid_(new QGridLayout(this)) {
    strip_->setCursor(Qt::PointingHandCursor);
    strip_->setToolTip(QStringLiteral("Views menu (Right)"));
    strip_->installEventFilter(this);

    list_->setUniformItemSizes(true);
    list_->setIconSize(QSize(16, 16));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setAlternatingRowColors(true);
    list_->setStyleSheet(QStringLiteral("QListView::item { padding: 3px 4px; }"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setContextMenuPolicy(Qt::DefaultContextMenu);
    list_->viewport()->installEventFilter(this);

    buttonBar_->setObjectName(windowName + QStringLiteral("Buttons"));
    buttonBar_->setIconSize(QSize(24, 24));
    buttonBar_->setMovable(false);
    buttonBar_->setFloatable(false);

    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(0);
    grid_->addWidget(strip_, 0, 0, 1, 2);
    grid_->setRowStretch(1, 1);
    grid_->setColumnStretch(0, 1);
    SetBody(list_);
    PlaceButtonBar();
}

QString CListScreen::StripText() const {
    return strip_->text();
}

void CListScreen::SetStripText(const QString& text) {
    strip_->setText(text);
}

QAction* CListScreen::AddCommand(QMenu* menu, int command, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    return action;
}

void CListScreen::AddUserViewsAndCancel(QMenu* menu, const std::vector<CViewRecord>& views,
                                        int commandBase) {
    constexpr std::size_t ViewsBeforeSubMenu = 9;
    QMenu* target =
        views.size() < ViewsBeforeSubMenu ? menu : menu->addMenu(QStringLiteral("Views"));
    for (std::size_t i = 0; i < views.size(); ++i)
        if (views[i].ViewID > LastReservedViewID)
            AddCommand(target, commandBase + int(i), views[i].Label);
    menu->addSeparator();
    AddCommand(menu, CancelCommand, QStringLiteral("Cancel"));
}

QAction* CListScreen::AddButton(const QString& ownIcon, const QString& themeIcon,
                                const QString& tip, const std::function<void()>& onClick) {
    QAction* action = buttonBar_->addAction(CommandIcon(themeIcon, ownIcon), tip);
    action->setObjectName(ownIcon);
    connect(action, &QAction::triggered, this, onClick);
    return action;
}

void CListScreen::SetButtonBarVisible(bool visible) {
    barWanted_ = visible;
    buttonBar_->setVisible(visible);
}

void CListScreen::SetBody(QWidget* body) {
    if (body_)
        grid_->removeWidget(body_);
    body_ = body;
    grid_->addWidget(body_, 1, 0);
}

void CListScreen::PlaceButtonBar() {
    placedLandscape_ = IsLandscape();
    grid_->removeWidget(buttonBar_);
    if (placedLandscape_) {
        buttonBar_->setOrientation(Qt::Vertical);
        buttonBar_->setFixedSize(ButtonBarThickness, QWIDGETSIZE_MAX);
        buttonBar_->setMinimumHeight(0);
        grid_->addWidget(buttonBar_, 1, 1);
    } else {
        buttonBar_->setOrientation(Qt::Horizontal);
        buttonBar_->setMinimumWidth(0);
        buttonBar_->setMaximumWidth(QWIDGETSIZE_MAX);
        buttonBar_->setFixedHeight(ButtonBarThickness);
        grid_->addWidget(buttonBar_, 2, 0, 1, 2);
    }
    buttonBar_->setVisible(barWanted_);
}

void CListScreen::resizeEvent(QResizeEvent* event) {
    CScreen::resizeEvent(event);
    if (IsLandscape() != placedLandscape_)
        PlaceButtonBar();
}

bool CListScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenViewsMenu();
        return true;
    }
    if (watched == list_->viewport() && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        const QModelIndex index = list_->indexAt(menuEvent->pos());
        if (index.isValid())
            list_->setCurrentIndex(index);
        OpenContextMenu(menuEvent->globalPos());
        return true;
    }
    return CScreen::eventFilter(watched, event);
}

void CListScreen::PopAt(QMenu* menu, const QPoint& globalPos) {
    if (openMenu_)
        openMenu_->close();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    openMenu_ = menu;
    menu->popup(globalPos);
}

void CListScreen::OpenViewsMenu() {
    const int x = IsLandscape() ? -LandscapeMenuShift : 0;
    PopAt(BuildViewsMenu(), mapToGlobal(QPoint(x, strip_->height())));
}

void CListScreen::OpenContextMenu(const QPoint& globalPos) {
    if (QMenu* menu = BuildContextMenu())
        PopAt(menu, globalPos);
}

void CListScreen::OpenContextMenuAtBar() {
    QMenu* menu = BuildContextMenu();
    if (!menu)
        return;
    const QRect first = buttonBar_->actionGeometry(buttonBar_->actions().value(0));
    const QSize size = menu->sizeHint();
    const QPoint at = IsLandscape() ? QPoint(first.left() - size.width(), first.top())
                                    : QPoint(first.left(), first.top() - size.height());
    PopAt(menu, buttonBar_->mapToGlobal(at));
}

int CListScreen::CurrentRow() const {
    const QModelIndex current = list_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CListScreen::SelectRow(int row) {
    QAbstractItemModel* model = list_->model();
    if (row < 0 || row >= model->rowCount()) {
        list_->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = model->index(row, 0);
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
}

bool CListScreen::StepSelection(int step) {
    QAbstractItemModel* model = list_->model();
    const int from = CurrentRow();
    const int to = from < 0 ? 0 : from + step;
    if (to >= model->rowCount() && model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    if (to < 0 || to >= model->rowCount() || to == from)
        return false;
    SelectRow(to);
    return true;
}
