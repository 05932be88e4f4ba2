#include "gui/dialogs/SearchDlg.h"

#include "config/RegistrySettings.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CSearchDlg::CSearchDlg(CRssDatabase& db, QWidget* parent)
    : QDialog(parent), db_(db), term_(new QLineEdit),
      byTitle_(new QCheckBox(QStringLiteral("search Title field"))),
      byKeywords_(new QCheckBox(QStringLiteral("search Keywords field"))),
      byText_(new QCheckBox(QStringLiteral("search Description field"))),
      go_(new QPushButton(QStringLiteral("Go"))), results_(new QListWidget), status_(new QLabel) {
    setObjectName(QStringLiteral("SearchDlg"));
    setWindowTitle(QStringLiteral("Database Search"));
    auto* note = new QLabel(QStringLiteral("To search the database, please enter a search term and "
                                           "then press \"Go\" button."));
    note->setWordWrap(true);
    auto* termRow = new QHBoxLayout;
    termRow->addWidget(term_, 1);
    termRow->addWidget(go_);
    for (QCheckBox* box : {byTitle_, byKeywords_, byText_})
        box->setChecked(true);
    results_->setObjectName(QStringLiteral("SearchResults"));
    results_->setUniformItemSizes(true);
    status_->setObjectName(QStringLiteral("SearchStatus"));
    status_->setWordWrap(true);
    // "Go" is the button that Return presses while the term is edited, not OK.
    go_->setAutoDefault(true);
    connect(term_, &QLineEdit::returnPressed, go_, &QPushButton::click);
    connect(go_, &QPushButton::clicked, this, &CSearchDlg::Search);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSearchDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(termRow);
    layout->addWidget(byTitle_);
    layout->addWidget(byKeywords_);
    layout->addWidget(byText_);
    layout->addWidget(results_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    term_->setFocus();
    resize(440, 420);
}

QString CSearchDlg::StatusText() const {
    return status_->text();
}

void CSearchDlg::Search() {
    if (term_->text().isEmpty()) {
        CurrentPrompt().ShowMessage(QStringLiteral("Please enter a search term"),
                                    QStringLiteral("Notice"));
        return;
    }
    WaitCursor wait;
    results_->clear();
    status_->setText(QStringLiteral("Status: Performing Search..."));
    status_->repaint();
    CRssDatabase::SearchResults found;
    db_.SearchItems(term_->text(), found, byTitle_->isChecked(), byKeywords_->isChecked(),
                    byText_->isChecked(), false);
    results_->addItems(found.titles);
    status_->setText(found.titles.isEmpty()
                         ? QStringLiteral("Status: No Matching Items found.  Try again.")
                         : QStringLiteral("Press \"Ok\", to view your search results."));
}

bool CSearchDlg::MakeSearchResultsView() {
    auto view = db_.GetView(SearchResultsViewID);
    if (!view)
        return false;
    view->Keywords = term_->text();
    return db_.UpdateView(*view) &&
           db_.RebuildKeywordView(SearchResultsViewID, byTitle_->isChecked(),
                                  byKeywords_->isChecked(), byText_->isChecked());
}

void CSearchDlg::accept() {
    {
        WaitCursor wait;
        MakeSearchResultsView();
        CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    }
    QDialog::accept();
}
