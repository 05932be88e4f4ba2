#include "gui/ItemListScreen.h"

#include <QLabel>
#include <QVBoxLayout>

CItemListScreen::CItemListScreen(QWidget* parent)
    : CScreen(Id, QStringLiteral("RSSView"), parent),
      strip_(MakeTitleStrip(QStringLiteral("Listing is being loaded..."))),
      page_(MakeNote(QStringLiteral(
          "<p><b>The item list will stand here</b></p><p>The items of the chosen Feed or View, "
          "marked unread, read or locked, and the reading pane that shows one item at a time "
          "come in the next version.</p><p>Meanwhile <tt>quillpost-cli items</tt> and "
          "<tt>quillpost-cli show</tt> list and read them.</p>"))) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip_);
    layout->addWidget(page_, 1);
}

void CItemListScreen::ShowSource(const QString& stripText) {
    strip_->setText(stripText.isEmpty() ? QStringLiteral("Choose a Feed in the feed list")
                                        : stripText);
}

QString CItemListScreen::StripText() const {
    return strip_->text();
}

void CItemListScreen::OnNavigationKey(NavigationKey key) {
    // Without rows there is nothing to move through; left goes back to the Feeds.
    if (key == NavigationKey::Left)
        emit feedListRequested();
}
