// The "Database Search" dialog.

#pragma once

#include "app/DatabaseSearch.h"

#include <QDialog>
#include <optional>

class CRssDatabase;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Database Search": a term looked for in the items' titles, keywords and text. "Go" lists the
// titles of the newest matches and counts all of them, off the window's thread; typing on
// cancels it. OK makes the built-in "Search Results" View a keyword View of the term holding
// what was found, so that the item list can show it.
class CSearchDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSearchDlg(CRssDatabase& db, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* TermEdit() const { return term_; }
    QCheckBox* TitleBox() const { return byTitle_; }
    QCheckBox* KeywordsBox() const { return byKeywords_; }
    QCheckBox* DescriptionBox() const { return byText_; }
    QPushButton* GoButton() const { return go_; }
    QListWidget* ResultList() const { return results_; }
    QString StatusText() const;
    QString CountText() const;
    bool IsSearching() const { return search_->IsRunning(); }

private:
    void Search();
    CDatabaseSearch::Request CurrentRequest() const;
    void ShowFound(const CDatabaseSearch::Shown& items);
    void ShowCount(const CMatchCounts& counts);
    void OnSearchFinished(bool done);
    // Stores the term as View 2's keywords and what was found as its members and counts; false
    // when it failed.
    bool MakeSearchResultsView();

    CRssDatabase& db_;
    QLineEdit* term_;
    QCheckBox* byTitle_;
    QCheckBox* byKeywords_;
    QCheckBox* byText_;
    QPushButton* go_;
    QListWidget* results_;
    QLabel* status_;
    QLabel* count_;
    CDatabaseSearch* search_;
    // What the last search found, for the term and fields it was run with.
    QString foundTerm_;
    std::optional<CDatabaseSearch::Request> found_;
    CDatabaseSearch::Shown shown_;
    std::optional<CMatchCounts> counts_;
    // OK was pressed while the search ran: the View is made when it ends.
    bool acceptWhenDone_ = false;
};
